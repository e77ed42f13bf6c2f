// The loop owns its thread: the time base waits for a whole second, and each
// pass sleeps its own share of the period, which costs the thread next to
// nothing, so it passes on while nothing is due.
#include "runtime/lifecycle/main_loop_pace.h"

#include "runtime/core/threads.h"

void establish_time_base() { establish_time_base_on_a_whole_second(); }

bool main_loop_sleeps() { return true; }

// The loop sleeps through its own period and never rests longer.
void wake_main_loop() {}

void run_main_loop(bool (*pass)()) {
    for (;;) pass();
}
