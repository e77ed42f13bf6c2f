#include "runtime/core/threads.h"

#include <cstdlib>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

ProgramThreadEnd program_thread_end;

namespace {

thread_local ThreadRole thread_role = ThreadRole::other;

void (*installed_shutdown)() = nullptr;

// The thrown stop: a record of its own, which only run_with_thrown_stop
// catches, so every destructor on the way runs. The platforms whose stack
// cannot be unwound by force stop the program thread so.
struct ProgramThreadStop {};

thread_local bool in_program_routine = false;

}  // namespace

void set_thread_role(ThreadRole role) { thread_role = role; }
bool on_program_thread() { return thread_role == ThreadRole::program; }
bool on_main_thread() { return thread_role == ThreadRole::main; }

void mark_stopped_and_wait_for_shutdown() {
    control.stopped_bits.fetch_or(1);
    wake_main_loop();
    while (control.exit_flag.load() == 0) sleep_ms(16);
}

void run_with_thrown_stop(void (*routine)()) {
    in_program_routine = true;
    try {
        routine();
    } catch (const ProgramThreadStop&) {
    }
    in_program_routine = false;
}

void throw_stop() {
    if (in_program_routine) throw ProgramThreadStop{};
    // Not inside run_with_thrown_stop: there is no routine to leave, and the
    // shutdown does not wait for this thread.
    for (;;) sleep_ms(16);
}

void set_shutdown(void (*shutdown)()) { installed_shutdown = shutdown; }

void end_process_now() {
    if (on_main_thread() && installed_shutdown != nullptr && control.threads_started.load()) installed_shutdown();
    std::exit(control.exit_code.load());
}
