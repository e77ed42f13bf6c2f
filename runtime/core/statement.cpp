#include "runtime/core/statement.h"

#include <cstdio>
#include <cstring>

#include "runtime/core/events.h"
#include "runtime/core/threads.h"
#include "runtime/platform/dialog.h"
#include "runtime/platform/system.h"
#include "runtime/screen/present.h"

ErrorState error_state;

void reset_error_state() { error_state = ErrorState{}; }

namespace {

struct MessageEntry {
    int code;
    const char* text;
};

constexpr MessageEntry error_messages[] = {
    {1, "NEXT without FOR"},
    {2, "Syntax error"},
    {3, "RETURN without GOSUB"},
    {4, "Out of DATA"},
    {5, "Illegal function call"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {8, "Label not defined"},
    {9, "Subscript out of range"},
    {10, "Duplicate definition"},
    {12, "Illegal in direct mode"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "String formula too complex"},
    {17, "Cannot continue"},
    {18, "Function not defined"},
    {19, "No RESUME"},
    {20, "RESUME without error"},
    {24, "Device timeout"},
    {25, "Device fault"},
    {26, "FOR without NEXT"},
    {27, "Out of paper"},
    {29, "WHILE without WEND"},
    {30, "WEND without WHILE"},
    {33, "Duplicate label"},
    {35, "Subprogram not defined"},
    {37, "Argument-count mismatch"},
    {38, "Array not defined"},
    {40, "Variable required"},
    {50, "FIELD overflow"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {56, "FIELD statement active"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {64, "Bad file name"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {69, "Communication-buffer overflow"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {72, "Disk-media error"},
    {73, "Feature unavailable"},
    {74, "Rename across disks"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {258, "Invalid handle"},
    {300, "Memory region out of range"},
    {301, "Invalid size"},
    {302, "Source memory region out of range"},
    {303, "Destination memory region out of range"},
    {304, "Source and destination memory regions out of range"},
    {305, "Source memory has been freed"},
    {306, "Destination memory has been freed"},
    {307, "Memory already freed"},
    {308, "Memory has been freed"},
    {309, "Memory not initialized"},
    {310, "Source memory not initialized"},
    {311, "Destination memory not initialized"},
    {312, "Source and destination memory not initialized"},
    {313, "Source and destination memory have been freed"},
};

bool is_dialog_critical(int code) { return code >= 300 && code <= 313; }

// Ends the process after a critical box: through the ordinary shutdown, so the
// exit status is exit_code (0) and the other threads are stopped first.
[[noreturn]] void end_after_critical_box() {
    if (on_program_thread()) {
        control.stop_request = 1;
        stop_program_thread();
    }
    end_process_now();
}

}  // namespace

const char* error_message(int code) {
    for (const MessageEntry& entry : error_messages)
        if (entry.code == code) return entry.text;
    return "Unprintable error";
}

bool critical_error_box(int code, const char** text, char* caption, int caption_size) {
    switch (code) {
    case 11: *text = "Division by zero"; break;
    case 256: *text = "Out of stack space"; break;
    case 257: *text = "Out of memory"; break;
    case 259: *text = "Cannot find dynamic library file"; break;
    case 260:
    case 261: *text = "Sub/Function does not exist in dynamic library"; break;
    default:
        if (code < 502 || code > 518) return false;
        *text = "Out of memory";
    }
    if (code == 257)
        std::snprintf(caption, caption_size, "Critical Error #1");
    else if (code >= 502)
        std::snprintf(caption, caption_size, "Critical Error #%d", code - 500);
    else
        std::snprintf(caption, caption_size, "Critical Error");
    return true;
}

void error_dialog_texts(int code, int line, char* caption, int caption_size, char* text, int text_size) {
    bool critical = is_dialog_critical(code);
    std::snprintf(caption, caption_size, "%s%d", critical ? "Critical Error #" : "Unhandled Error #", code);
    std::snprintf(text, text_size, "Line:%d\n%s%s", line, error_message(code), critical ? "" : "\nContinue?");
}

void raise_error(int code) {
    const char* text = nullptr;
    char caption[32];
    if (critical_error_box(code, &text, caption, sizeof caption)) {
        show_dialog(caption, text, DialogButtons::ok);
        end_after_critical_box();
    }
    if (control.pending_error.load() != 0) return;
    if (code < 1) code = 5;
    control.pending_error = code;
    control.attention_flag = 1;
}

void report_error() {
    int code = control.pending_error.load();
    bool critical = is_dialog_critical(code);
    if (error_state.error_handler_set && !error_state.in_error_handler && !critical) {
        // This program never sets an error handler; the path is kept so that
        // a program that did would have ERR and ERL. Without a handler to jump
        // to, the routine cannot be re-entered, which ends the process as the
        // original runtime does when its main routine is re-entered so.
        error_state.err_code = code;
        control.pending_error = 0;
        error_state.err_line = error_state.last_line_label;
        error_state.in_error_handler = 1;
        control.exit_code = 99;
        control.stop_request = 1;
        stop_program_thread();
    }
    char caption[48];
    char text[160];
    error_dialog_texts(code, error_state.error_line, caption, sizeof caption, text, sizeof text);
    if (critical) {
        show_dialog(caption, text, DialogButtons::ok);
        end_after_critical_box();
    }
    if (show_dialog(caption, text, DialogButtons::yes_no) == DialogAnswer::yes) {
        control.pending_error = 0;
        return;
    }
    control.stop_request = 1;
    stop_program_thread();
}

void statement_step(int line) {
    control.attention_flag = 0;
    control.retry_flag = 0;
    while (control.suspend_bits.load() != 0 || control.exit_flag.load() != 0) {
        if (control.exit_flag.load() != 0) stop_program_thread();
        sleep_ms(10);
    }
    if (control.pending_error.load() == 0) {
        dispatch_events();
        return;
    }
    error_state.error_line = line;
    report_error();
    if (error_state.resume_retry) {
        error_state.resume_retry = 0;
        control.retry_flag = 1;
    }
}

void line_label(double label) {
    error_state.last_line_label = label;
    if (control.attention_flag.load() != 0) {
        statement_step(static_cast<int>(label));
        control.retry_flag = 0;
    }
}
