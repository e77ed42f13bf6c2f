#include "runtime/lifecycle/main_loop_pace.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/threading.h>
#include <time.h>

#include <atomic>

#include "runtime/core/runtime_control.h"
#include "runtime/core/threads.h"
#include "runtime/platform/system.h"

namespace {

// The loop is paced by the clock, not by the display: a timer on the page's
// main thread calls back every 16 ms, and the canvas changes, so that the
// browser draws a frame, only when a presentation finds a changed picture.
// A timer comes late now and then (by a millisecond, or more on a busy
// machine): each callback runs as many passes as 16 ms periods have come
// due, so the loop keeps the desktop's pace (the key repeat's rhythm, the
// sound queue's steps, the gap after a PLAY, the BIOS ticks) whatever the
// display's refresh rate. A long gap (a hidden tab, whose timers the browser
// slows to one a second) is not made up.
//
// Even a timer that finds nothing to do wakes the browser 62 times a second,
// which costs a waiting page several times what a still one does. So after
// a second of passes that found nothing (a menu waiting for its key, a
// picture that stays), the loop rests: one look every rest_look_ms, which
// also catches what no wake announces (the port's own mouse and focus
// events), until wake_main_loop brings the 16 ms back at once. While awake
// the rhythm is the desktop's; resting, nothing that rhythm times is due.
constexpr int loop_period_ms = 16;
constexpr int quiet_passes_before_rest = 64;
constexpr int rest_look_ms = 250;

struct LoopRest {
    double next_pass_ms = 0;
    int quiet_passes = 0;
    std::atomic<bool> resting{false};
};
LoopRest loop_rest;
bool (*loop_pass)() = nullptr;

void paced_main_loop_pass() {
    double now = emscripten_get_now();
    if (now - loop_rest.next_pass_ms > 4 * loop_period_ms) loop_rest.next_pass_ms = now;
    bool busy = false;
    while (loop_rest.next_pass_ms <= now) {
        loop_rest.next_pass_ms += loop_period_ms;
        bool found = loop_pass();
        loop_rest.quiet_passes = found ? 0 : loop_rest.quiet_passes + 1;
        busy = busy || found;
    }
    if (busy && loop_rest.resting.exchange(false)) {
        emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, loop_period_ms);
    } else if (loop_rest.quiet_passes >= quiet_passes_before_rest && !loop_rest.resting.exchange(true)) {
        emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, rest_look_ms);
    }
}

// Main thread, woken from outside a pass: the 16 ms again from now, the
// pending look abandoned (the port's resume makes the loop's older timer
// return unrun).
void end_rest() {
    loop_rest.quiet_passes = 0;
    if (control.exit_flag.load() != 0) return;
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, loop_period_ms);
    emscripten_resume_main_loop();
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

void wake_main_loop() {
    if (!loop_rest.resting.load(std::memory_order_relaxed) || !loop_rest.resting.exchange(false)) return;
    if (emscripten_is_main_runtime_thread())
        end_rest();
    else
        emscripten_async_run_in_main_runtime_thread(EM_FUNC_SIG_V, end_rest);
}

// Never returns: the page's timer takes over the thread.
void run_main_loop(bool (*pass)()) {
    loop_pass = pass;
    emscripten_set_main_loop(paced_main_loop_pass, 0, 0);
    emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, loop_period_ms);
    emscripten_unwind_to_js_event_loop();
}
