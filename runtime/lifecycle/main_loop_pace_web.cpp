#include "runtime/lifecycle/main_loop_pace.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <time.h>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

namespace {

// The loop is paced by the clock, not by the display: a timer on the page's
// main thread calls back every 16 ms, so the browser runs no frame machinery
// (and renders nothing) while the picture stays still; the canvas changes,
// and a frame is drawn, only when a presentation finds a changed picture.
// A timer comes late now and then (by a millisecond, or more on a busy
// machine): each callback runs as many passes as 16 ms periods have come
// due, so the loop keeps the desktop's pace (the key repeat's rhythm, the
// sound queue's steps, the gap after a PLAY, the BIOS ticks) whatever the
// display's refresh rate. A long gap (a hidden tab, whose timers the browser
// slows to one a second) is not made up.
constexpr int loop_period_ms = 16;
double next_pass_ms = 0;
void (*loop_pass)() = nullptr;

void paced_main_loop_pass() {
    double now = emscripten_get_now();
    if (now - next_pass_ms > 4 * loop_period_ms) next_pass_ms = now;
    while (next_pass_ms <= now) {
        next_pass_ms += loop_period_ms;
        loop_pass();
    }
}

}  // namespace

// A page must not hold its main thread for up to a second: the time base is
// taken at once, with the milliseconds of the local time of day included.
void establish_time_base() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    control.ticks_base = ticks_ms();
    uint32_t ms_of_day = 0;
    if (!local_ms_of_day(static_cast<long long>(now.tv_sec), &ms_of_day)) ms_of_day = 0;
    control.ms_of_day_base = ms_of_day + static_cast<uint32_t>(now.tv_nsec / 1000000);
}

bool main_loop_sleeps() { return false; }

// Never returns: the page's timer takes over the thread.
void run_main_loop(void (*pass)()) {
    loop_pass = pass;
    emscripten_set_main_loop(paced_main_loop_pass, 0, 0);
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, loop_period_ms);
    emscripten_unwind_to_js_event_loop();
}
