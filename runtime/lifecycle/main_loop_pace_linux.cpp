// The loop owns its thread: the time base waits for a whole second, and each
// pass sleeps its own share of the period.
#include "runtime/lifecycle/main_loop_pace.h"

void establish_time_base() { establish_time_base_on_a_whole_second(); }

bool main_loop_sleeps() { return true; }

void run_main_loop(void (*pass)()) {
    for (;;) pass();
}
