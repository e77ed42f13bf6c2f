#include "runtime/core/threads.h"

#include <csetjmp>
#include <cstdint>
#include <cstdlib>

// The program thread ends by a forced unwind where the platform has the
// unwinder's interface and sigsetjmp (glibc declares the latter as a macro,
// which is what is looked for); elsewhere (a C library without that macro,
// which the web build's lacks) it lands in run_program_thread with a plain
// longjmp, destructors left out. A build may choose by defining
// TZ_FORCED_UNWIND to 0 or 1. The web and Windows builds throw their stop
// instead (TZ_THROWN_STOP, below).
#ifndef TZ_THROWN_STOP
#define TZ_THROWN_STOP 0
#endif
#if !defined(TZ_FORCED_UNWIND) && !TZ_THROWN_STOP
#if defined(__has_include)
#if __has_include(<unwind.h>) && defined(sigsetjmp)
#define TZ_FORCED_UNWIND 1
#endif
#endif
#endif
#ifndef TZ_FORCED_UNWIND
#define TZ_FORCED_UNWIND 0
#endif

#if TZ_FORCED_UNWIND
#include <unwind.h>
#endif

#include "runtime/core/runtime_control.h"
#include "runtime/platform/system.h"

ProgramThreadEnd program_thread_end;

namespace {

thread_local ThreadRole thread_role = ThreadRole::other;

void (*installed_shutdown)() = nullptr;

}  // namespace

void set_thread_role(ThreadRole role) { thread_role = role; }
bool on_program_thread() { return thread_role == ThreadRole::program; }
bool on_main_thread() { return thread_role == ThreadRole::main; }

#if !TZ_THROWN_STOP
namespace {

#if TZ_FORCED_UNWIND
using LandingBuffer = sigjmp_buf;
#define TZ_SET_LANDING(buffer) sigsetjmp(buffer, 0)
[[noreturn]] void land(LandingBuffer& buffer) { siglongjmp(buffer, 1); }
#else
using LandingBuffer = std::jmp_buf;
#define TZ_SET_LANDING(buffer) setjmp(buffer)
[[noreturn]] void land(LandingBuffer& buffer) { std::longjmp(buffer, 1); }
#endif

// Where stop_program_thread lands: the jump buffer of run_program_thread and
// its frame address, which every frame it called lies below.
thread_local LandingBuffer* landing = nullptr;
thread_local uintptr_t landing_frame = 0;

#if TZ_FORCED_UNWIND
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
#else
void unwind_to_landing() {}
#endif

}  // namespace

void run_program_thread(void (*routine)()) {
    LandingBuffer stopped;
    if (TZ_SET_LANDING(stopped) == 0) {
        landing = &stopped;
        landing_frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        routine();
    }
    landing = nullptr;
}

// The unwind is the one a thread cancellation performs, but it ends in
// run_program_thread instead of the thread library, so the thread function
// returns normally: SDL 1.2 built on SDL 2 cannot kill a thread, and a killed
// thread's own wait would never end there. When the unwind cannot be done,
// the thread jumps into that frame all the same: the destructors below it do
// not run, but the shutdown's wait for the thread ends.
void stop_program_thread() {
    control.stopped_bits.fetch_or(1);
    while (control.exit_flag.load() == 0) sleep_ms(16);
    if (landing != nullptr) {
        unwind_to_landing();
        land(*landing);
    }
    // Not on a program thread that run_program_thread started: there is no
    // routine to leave, and the shutdown does not wait for this thread.
    for (;;) sleep_ms(16);
}
#else
// WebAssembly has neither the forced unwind nor a jump that runs the skipped
// frames' cleanups, and under Wine the forced unwind hangs after its first
// frame: the stop is thrown as a record of its own, which only
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
#endif

void set_shutdown(void (*shutdown)()) { installed_shutdown = shutdown; }

void end_process_now() {
    if (on_main_thread() && installed_shutdown != nullptr && control.threads_started.load()) installed_shutdown();
    std::exit(control.exit_code.load());
}
