// The operating-system services in a page: no executable file and no
// signals, the page's sleeps and time of day, SDL's modifier state.
#include "runtime/platform/system.h"

#include <SDL.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

std::string executable_directory() { return std::string(); }

bool change_directory(const std::string& dir) { return !dir.empty() && chdir(dir.c_str()) == 0; }

// SDL_Delay is the page's own, a nanosleep that lets a worker rest
// (sdl_gaps_web.cpp).
void sleep_ms(uint32_t ms) {
    if (ms == 0)
        sched_yield();
    else
        SDL_Delay(ms);
}

void sleep_us(uint32_t us) {
    struct timespec pause {};
    pause.tv_sec = us / 1000000;
    pause.tv_nsec = static_cast<long>(us % 1000000) * 1000;
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

bool local_ms_of_day(long long seconds_since_epoch, uint32_t* ms_of_day) {
    time_t t = static_cast<time_t>(seconds_since_epoch);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return false;
    *ms_of_day = static_cast<uint32_t>((local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000);
    return true;
}

namespace {
std::atomic<bool> scroll_lock_toggle{false};
}

LockStates os_lock_states() {
    SDLMod mod = SDL_GetModState();
    return LockStates{scroll_lock_toggle.load(), (mod & KMOD_CAPS) != 0, (mod & KMOD_NUM) != 0};
}

void set_os_scroll_lock(bool on) { scroll_lock_toggle = on; }

// A page learns of held keys only from their events.
const uint8_t* os_pressed_keys(int* count) {
    *count = 0;
    return nullptr;
}

// WebAssembly raises no signal: each integer division is checked and the
// check raises error 11 itself (arithmetic_fault_web.cpp).
void run_with_arithmetic_fault_landing(void (*routine)(), void (*)()) { routine(); }

// The browser shows the canvas once the frame's callback returns.
void window_surface_updated() {}

// A page's standard output and error go to the browser's console.
void attach_parent_console() {}
