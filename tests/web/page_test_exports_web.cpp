// What the web test asks of the runtime beyond what the page does, linked
// only into the test's build of the page (tommy-zappo-test): a fault
// provoked on purpose, and where the emulated memory lies. The players'
// build has neither.
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/threading.h>
#include <pthread.h>

#include <cstdlib>
#include <new>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"

// The POSIX thread under an SDL thread (runtime/platform/sdl_gaps_web.cpp).
pthread_t sdl_thread_pthread(SDL_Thread* thread);

namespace {

volatile int zero = 0;
volatile size_t too_much = static_cast<size_t>(-1) / 2;

void divide_by_zero(void*) { zero = 1 / zero; }

void trap(void*) { __builtin_trap(); }

}  // namespace

// 0 abort on the main thread, 1 an integer division by zero on the program
// thread, 2 a trap on the timer-event thread, 3 memory that cannot be had on
// the main thread.
extern "C" EMSCRIPTEN_KEEPALIVE void web_provoke_fault(int kind) {
    SDL_Thread* program = control.program_thread.load();
    SDL_Thread* timer = control.timer_thread.load();
    switch (kind) {
    case 0: std::abort();
    case 1:
        if (program) emscripten_dispatch_to_thread_async(sdl_thread_pthread(program), EM_FUNC_SIG_VI, divide_by_zero, nullptr, nullptr);
        break;
    case 2:
        if (timer) emscripten_dispatch_to_thread_async(sdl_thread_pthread(timer), EM_FUNC_SIG_VI, trap, nullptr, nullptr);
        break;
    default: zero = static_cast<int>(reinterpret_cast<size_t>(new char[too_much]));
    }
}

// For the BIOS keyboard ring, which the test reads.
extern "C" EMSCRIPTEN_KEEPALIVE const uint8_t* web_emulated_memory() { return emulated_memory; }
