// The program thread's stop on Linux: a forced unwind, the one a thread
// cancellation performs (glibc's unwinder and sigsetjmp).
#include <setjmp.h>
#include <unwind.h>

#include <cstdint>

#include "runtime/core/threads.h"
#include "runtime/platform/system.h"

namespace {

// Where stop_program_thread lands: the jump buffer of run_program_thread and
// its frame address, which every frame it called lies below.
thread_local sigjmp_buf* landing = nullptr;
thread_local uintptr_t landing_frame = 0;

[[noreturn]] void land(sigjmp_buf& buffer) { siglongjmp(buffer, 1); }

thread_local _Unwind_Exception unwind_record{};

// The stop function of the forced unwind: lets each frame below the landing
// run its cleanups, then jumps into the landing's frame, which is intact.
_Unwind_Reason_Code stop_at_landing(int, _Unwind_Action actions, _Unwind_Exception_Class, _Unwind_Exception*,
                                    _Unwind_Context* context, void*) {
    if (program_thread_end.unwind_fails) return _URC_FATAL_PHASE2_ERROR;
    if ((actions & _UA_END_OF_STACK) != 0 || _Unwind_GetCFA(context) > landing_frame) land(*landing);
    return _URC_NO_REASON;
}

void unwind_record_cleanup(_Unwind_Reason_Code, _Unwind_Exception*) {}

// Unwinds the stack into the landing; returns only when the unwinder
// reports that it cannot (a frame without unwind information, say).
void unwind_to_landing() {
    unwind_record.exception_class = 0x545A2D53544F5000;  // "TZ-STOP\0"
    unwind_record.exception_cleanup = unwind_record_cleanup;
    _Unwind_ForcedUnwind(&unwind_record, stop_at_landing, nullptr);
}

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

// The unwind ends in run_program_thread instead of the thread library, so
// the thread function returns normally: SDL 1.2 built on SDL 2 cannot kill a
// thread, and a killed thread's own wait would never end there. When the
// unwind cannot be done, the thread jumps into that frame all the same: the
// destructors below it do not run, but the shutdown's wait for the thread
// ends.
void stop_program_thread() {
    mark_stopped_and_wait_for_shutdown();
    if (landing != nullptr) {
        unwind_to_landing();
        land(*landing);
    }
    // Not on a program thread that run_program_thread started: there is no
    // routine to leave, and the shutdown does not wait for this thread.
    for (;;) sleep_ms(16);
}
