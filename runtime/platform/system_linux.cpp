// The operating-system services on Linux: readlink of /proc/self/exe and
// chdir, SDL_Delay and nanosleep, localtime_r, SDL's modifier state and the
// arithmetic-fault signal.
#include "runtime/platform/system.h"

#include <SDL.h>
#include <sched.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csetjmp>

#include "runtime/core/statement.h"

std::string executable_directory() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    buffer[length] = '\0';
    std::string dir = directory_of(buffer);
    return dir.empty() ? std::string("/") : dir;
}

bool change_directory(const std::string& dir) { return !dir.empty() && chdir(dir.c_str()) == 0; }

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

namespace {

sigjmp_buf* fault_landing = nullptr;

void arithmetic_fault(int) {
    // Unwinding through the signal frame is not dependable, hence the jump.
    if (fault_landing) siglongjmp(*fault_landing, 1);
    raise_error(11);
}

}  // namespace

void run_with_arithmetic_fault_landing(void (*routine)(), void (*on_fault)()) {
    sigjmp_buf landing;
    if (sigsetjmp(landing, 1) != 0) on_fault();
    fault_landing = &landing;
    struct sigaction action {};
    action.sa_handler = arithmetic_fault;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_NODEFER;
    sigaction(SIGFPE, &action, nullptr);
    routine();
}

const uint8_t* os_pressed_keys(int* count) { return SDL_GetKeyState(count); }

// X11 shows an update when SDL sends it.
void window_surface_updated() {}

void attach_parent_console() {}
