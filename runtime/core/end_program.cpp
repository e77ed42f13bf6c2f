#include "runtime/core/end_program.h"

#include "runtime/core/runtime_control.h"
#include "runtime/core/strings.h"
#include "runtime/core/threads.h"
#include "runtime/input/key_buffer.h"
#include "runtime/platform/system.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/text_output.h"

namespace {

bool key_typed() {
    uint8_t key[2];
    return inkey_bytes(key) != 0;
}

}  // namespace

void end_program() {
    control.exit_handling_enabled = 0;
    images.write_image = images.display_image.load();
    if (ScreenImage* display = write_image_record()) {
        int32_t rows = text_rows(*display);
        uint32_t temp_base = current_temp_top();
        view_print_statement(rows, rows, 3);
        print_string(nothing_string(), 1);
        print_string(temp_cstring("Press any key to continue"), 0);
        release_temporaries(temp_base, 0);
    }
    // Keys typed before END was reached must not end the wait.
    while (key_typed()) sleep_ms(0);
    control.autodisplay = 1;
    // No processor while nothing is typed: after a few empty reads INKEY$
    // rests until a key arrives (10 ms at most, so a closing window is still
    // seen at once), and the key is taken as soon as it is there.
    do {
        sleep_ms(0);
        if (control.exit_flag.load()) stop_program_thread();
    } while (!key_typed());
    control.stop_request = 1;
    stop_program_thread();
}

void system_exit() {
    control.stop_request = 1;
    stop_program_thread();
}
