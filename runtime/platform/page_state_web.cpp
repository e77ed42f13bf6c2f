// What the page tells the runtime about itself, beyond keys and full
// screen: the tab hidden or shown; and what it asks: the main loop's pass
// count, by which the web test and benchmark pace themselves.
#include <emscripten.h>

#include "runtime/core/runtime_control.h"
#include "runtime/core/threads.h"
#include "runtime/lifecycle/lifecycle.h"

// A hidden tab holds the program as the Pause key does: at its next
// statement, with the clock running on; shown again, it goes on.
extern "C" EMSCRIPTEN_KEEPALIVE void web_page_hidden(int hidden) {
    wake_main_loop();
    if (hidden != 0) {
        set_suspend_bit(suspend_hidden);
        control.attention_flag = 1;
    } else {
        clear_suspend_bit(suspend_hidden);
    }
}

// The main loop's passes so far.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t web_main_loop_passes() { return main_loop_iteration_count(); }
