// What the page tells the runtime about itself, beyond keys and full
// screen: the tab hidden or shown; and, for the web test only, a fault
// provoked on purpose, the main loop's pass count and the emulated memory.
#include <SDL.h>
#include <emscripten.h>
#include <emscripten/threading.h>
#include <pthread.h>

#include <cstdlib>
#include <new>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/lifecycle/lifecycle.h"

// The POSIX thread under an SDL thread (runtime/platform/sdl_gaps_web.cpp).
pthread_t sdl_thread_pthread(SDL_Thread* thread);

// A hidden tab holds the program as the Pause key does: at its next
// statement, with the clock running on; shown again, it goes on.
extern "C" EMSCRIPTEN_KEEPALIVE void web_page_hidden(int hidden) {
    if (hidden != 0) {
        set_suspend_bit(suspend_hidden);
        control.attention_flag = 1;
    } else {
        clear_suspend_bit(suspend_hidden);
    }
}

namespace {

volatile int zero = 0;
volatile size_t too_much = static_cast<size_t>(-1) / 2;

void divide_by_zero(void*) { zero = 1 / zero; }

void trap(void*) { __builtin_trap(); }

}  // namespace

// Test only: 0 abort on the main thread, 1 an integer division by zero on
// the program thread, 2 a trap on the timer-event thread, 3 memory that
// cannot be had on the main thread.
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

// Test only: the main loop's passes so far, for its pace.
extern "C" EMSCRIPTEN_KEEPALIVE uint32_t web_main_loop_passes() { return main_loop_iteration_count(); }

// Test only: where the emulated memory lies, for the BIOS keyboard ring.
extern "C" EMSCRIPTEN_KEEPALIVE const uint8_t* web_emulated_memory() { return emulated_memory; }
