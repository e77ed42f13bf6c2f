#include "runtime/lifecycle/main_loop_pace.h"

#include <SDL.h>

#include <ctime>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

void establish_time_base_on_a_whole_second() {
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
