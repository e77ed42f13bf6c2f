// The statement contract. Runtime operations never stop the program: they
// record an error code and return, and every operation returns its neutral
// result while an error is pending. After each statement the program checks
// attention_flag and, when it is set, calls statement_step with the
// statement's source line number; that is where errors are reported, where a
// pause or a foreground tune holds the program, and where shutdown ends it.
#pragma once

#include <cstdint>

#include "runtime/core/runtime_control.h"
#include "runtime/core/strings.h"

struct ErrorState {
    int32_t error_line = 0;         // line of the most recent error reported
    int32_t resume_retry = 0;       // run the failing statement again (nothing sets it here)
    double last_line_label = 0;     // most recent numbered line label passed
    int32_t error_handler_set = 0;  // ON ERROR: never set by this program
    int32_t in_error_handler = 0;
    int32_t err_code = 0;           // ERR and ERL, filled only for an error handler
    double err_line = 0;
};

extern ErrorState error_state;

void reset_error_state();

// Program thread, after a statement whose attention_flag was set.
void statement_step(int line);

// Records an error for the current statement; the first one wins. Codes
// below 1 become 5. The critical codes show their box and end the process.
void raise_error(int code);

// True while an error is pending: operations return their neutral result.
inline bool error_pending() { return control.pending_error.load(std::memory_order_relaxed) != 0; }

void report_error();
void dispatch_events();

// The message for an error code, "Unprintable error" for codes without one.
const char* error_message(int code);

// Caption and text of the box that raise_error shows for a critical code;
// false for codes that are not critical there.
bool critical_error_box(int code, const char** text, char* caption, int caption_size);

// Caption and text of report_error's box (critical: codes 300-313).
void error_dialog_texts(int code, int line, char* caption, int caption_size, char* text, int text_size);

// Runs one statement of the program: its body, the release of its
// temporaries, and the statement step while attention is needed; again while
// the step asks for a retry.
template <class Body>
inline void statement(int line, Body&& body) {
    do {
        uint32_t temp_base = current_temp_top();
        body();
        release_temporaries(temp_base, 0);
        if (control.attention_flag.load() == 0) return;
        statement_step(line);
    } while (control.retry_flag.load() == 1);
}

// A numbered line label of the program.
void line_label(double label);
