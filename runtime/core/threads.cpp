#include "runtime/core/threads.h"

#ifndef __EMSCRIPTEN__
#include <unwind.h>
#endif

#include <csetjmp>
#include <cstdint>
#include <cstdlib>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

namespace {

thread_local ThreadRole thread_role = ThreadRole::other;

void (*installed_shutdown)() = nullptr;

}  // namespace

#ifdef __EMSCRIPTEN__
// WebAssembly has neither the forced unwind nor a jump that runs the skipped
// frames' cleanups: the stop is thrown as a record of its own, which only
// run_program_thread catches, and every destructor on the way runs.
namespace {

struct ProgramThreadStop {};

thread_local bool in_program_routine = false;

}  // namespace

void run_program_thread(void (*routine)()) {
    in_program_routine = true;
    try {
        routine();
    } catch (const ProgramThreadStop&) {
    }
    in_program_routine = false;
}

void stop_program_thread() {
    control.stopped_bits.fetch_or(1);
    while (control.exit_flag.load() == 0) sleep_ms(16);
    if (in_program_routine) throw ProgramThreadStop{};
    for (;;) sleep_ms(16);
}
#else
namespace {

// Where stop_program_thread lands: the jump buffer of run_program_thread and
// its frame address, which every frame it called lies below.
thread_local sigjmp_buf* landing = nullptr;
thread_local uintptr_t landing_frame = 0;
thread_local _Unwind_Exception unwind_record{};

// The stop function of the forced unwind: lets each frame below the landing
// run its cleanups, then jumps into the landing's frame, which is intact.
_Unwind_Reason_Code stop_at_landing(int, _Unwind_Action actions, _Unwind_Exception_Class, _Unwind_Exception*,
                                    _Unwind_Context* context, void*) {
    if ((actions & _UA_END_OF_STACK) != 0 || _Unwind_GetCFA(context) > landing_frame) siglongjmp(*landing, 1);
    return _URC_NO_REASON;
}

void unwind_record_cleanup(_Unwind_Reason_Code, _Unwind_Exception*) {}

}  // namespace

void run_program_thread(void (*routine)()) {
    sigjmp_buf stopped;
    if (sigsetjmp(stopped, 0) == 0) {
        landing = &stopped;
        landing_frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        routine();
    }
    landing = nullptr;
}

// The unwind is the one a thread cancellation performs, but it ends in
// run_program_thread instead of the thread library, so the thread function
// returns normally: SDL 1.2 built on SDL 2 cannot kill a thread, and a killed
// thread's own wait would never end there.
void stop_program_thread() {
    control.stopped_bits.fetch_or(1);
    while (control.exit_flag.load() == 0) sleep_ms(16);
    if (landing != nullptr) {
        unwind_record.exception_class = 0x545A2D53544F5000;  // "TZ-STOP\0"
        unwind_record.exception_cleanup = unwind_record_cleanup;
        _Unwind_ForcedUnwind(&unwind_record, stop_at_landing, nullptr);
    }
    // Not on a program thread that run_program_thread started: there is no
    // routine to leave, and the shutdown does not wait for this thread.
    for (;;) sleep_ms(16);
}
#endif

void set_thread_role(ThreadRole role) { thread_role = role; }
bool on_program_thread() { return thread_role == ThreadRole::program; }
bool on_main_thread() { return thread_role == ThreadRole::main; }

void set_shutdown(void (*shutdown)()) { installed_shutdown = shutdown; }

void end_process_now() {
    if (on_main_thread() && installed_shutdown != nullptr && control.threads_started.load()) installed_shutdown();
    std::exit(control.exit_code.load());
}
