// The program thread's stop on Windows: under Wine the forced unwind hangs
// after its first frame, so it is thrown.
#include "runtime/core/threads.h"

void run_program_thread(void (*routine)()) { run_with_thrown_stop(routine); }

void stop_program_thread() {
    mark_stopped_and_wait_for_shutdown();
    throw_stop();
}
