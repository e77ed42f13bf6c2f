#include "runtime/lifecycle/main_loop_pace.h"

#include <emscripten.h>
#include <time.h>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

namespace {

// The browser calls back once per displayed frame, 33 ms apart at 30 Hz,
// 7 ms at 144 Hz: each callback runs as many passes as 16 ms periods have
// come due, so the loop keeps the desktop's pace (the key repeat's rhythm,
// the sound queue's steps, the gap after a PLAY) on every display. A long
// gap (a hidden tab) is not made up.
constexpr double loop_period_ms = 16;
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

// Never returns: the browser's frame callback takes over the thread.
void run_main_loop(void (*pass)()) {
    loop_pass = pass;
    emscripten_set_main_loop(paced_main_loop_pass, 0, 1);
    for (;;) pass();
}
