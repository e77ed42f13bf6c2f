// The operating-system services on Windows, the ones the runtime was
// written against: GetModuleFileNameA and _chdir, Sleep, localtime_s,
// GetKeyState, and the arithmetic-fault signal of the C library.
#include "runtime/platform/system.h"

#include <SDL.h>
#include <direct.h>
#include <windows.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "runtime/core/statement.h"

std::string executable_directory() {
    char buffer[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return std::string();
    return directory_of(std::string(buffer, length));
}

bool change_directory(const std::string& dir) { return !dir.empty() && _chdir(dir.c_str()) == 0; }

void sleep_ms(uint32_t ms) { Sleep(ms); }

// The C library's nanosleep (winpthreads) rounds anything under a
// millisecond down to no sleep at all, and Sleep knows only whole
// milliseconds: the part below one is waited out on the performance
// counter, giving the processor away between looks.
void sleep_us(uint32_t us) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (us >= 1000) Sleep(us / 1000);
    LONGLONG until = start.QuadPart + static_cast<LONGLONG>(us) * frequency.QuadPart / 1000000;
    LARGE_INTEGER now;
    for (QueryPerformanceCounter(&now); now.QuadPart < until; QueryPerformanceCounter(&now)) SwitchToThread();
}

bool local_ms_of_day(long long seconds_since_epoch, uint32_t* ms_of_day) {
    time_t t = static_cast<time_t>(seconds_since_epoch);
    struct tm local {};
    if (localtime_s(&local, &t) != 0) return false;
    *ms_of_day = static_cast<uint32_t>((local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000);
    return true;
}

// The low bit of GetKeyState is the toggle of a lock key.
LockStates os_lock_states() {
    return LockStates{(GetKeyState(VK_SCROLL) & 1) != 0, (GetKeyState(VK_CAPITAL) & 1) != 0,
                      (GetKeyState(VK_NUMLOCK) & 1) != 0};
}

// Windows keeps the Scroll Lock toggle itself, turned by the key.
void set_os_scroll_lock(bool) {}

const uint8_t* os_pressed_keys(int* count) { return SDL_GetKeyState(count); }

namespace {

std::jmp_buf* fault_landing = nullptr;

// The C library resets the handler to the default before calling it, and
// there is no sigsetjmp: the handler is set again for every run, and the
// jump leaves the faulting statement as on other systems.
void arithmetic_fault(int) {
    if (fault_landing) std::longjmp(*fault_landing, 1);
    raise_error(11);
}

}  // namespace

void run_with_arithmetic_fault_landing(void (*routine)(), void (*on_fault)()) {
    std::jmp_buf landing;
    if (setjmp(landing) != 0) on_fault();
    fault_landing = &landing;
    std::signal(SIGFPE, arithmetic_fault);
    routine();
}

// A window's drawing reaches the screen when its thread next looks at an
// empty message queue (Wine copies its window surfaces to X then). The main
// loop drains events only every other pass, so each frame would show a pass
// late and a key's move often a whole game step late: under Wine the
// autopilot's hero moved every 100 ms where the desktop's moves every 65.
// The look leaves every message in the queue for the next event drain.
void window_surface_updated() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

void attach_parent_console() {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE) return;  // redirected, or a console already
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}
