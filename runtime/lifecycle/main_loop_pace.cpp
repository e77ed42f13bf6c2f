#include "runtime/lifecycle/main_loop_pace.h"

#include <SDL.h>

#include <ctime>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

// Waits for the wall-clock second to change so that TIMER starts on a whole
// second, then takes both halves of the time base at that moment.
void establish_time_base() {
    time_t start = time(nullptr);
    time_t now = start;
    while (now == start) {
        SDL_Delay(1);
        now = time(nullptr);
    }
    control.ticks_base = SDL_GetTicks();
    uint32_t ms_of_day = 0;
    if (!local_ms_of_day(static_cast<long long>(now), &ms_of_day)) ms_of_day = 0;
    control.ms_of_day_base = ms_of_day;
}

bool main_loop_sleeps() { return true; }

// Each pass sleeps its own share of the period.
void run_main_loop(void (*pass)()) {
    for (;;) pass();
}
