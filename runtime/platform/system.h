// Stand-ins for the operating-system services the runtime was written
// against: its own path and the working directory, sleeping, the local time
// of day, the keyboard lock states and the arithmetic-fault signal.
#pragma once

#include <cstdint>
#include <string>

// The directory of the running executable, without a trailing slash; empty
// when it cannot be found.
std::string executable_directory();

// Cuts a path at its last backslash, slash or colon. A colon stays at the end
// of the result; a slash or backslash is dropped.
inline std::string directory_of(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    if (cut == std::string::npos) return std::string();
    if (path[cut] == ':') return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

bool change_directory(const std::string& dir);

// Sleeps the calling thread; 0 only yields.
void sleep_ms(uint32_t ms);

// Sleeps the calling thread for a part of a millisecond.
void sleep_us(uint32_t us);

// The platform's millisecond counter (wraps after about 49.7 days).
uint32_t ticks_ms();

// Local time of day in milliseconds of whole seconds for a time_t value;
// false when the local time cannot be obtained.
bool local_ms_of_day(long long seconds_since_epoch, uint32_t* ms_of_day);

// The operating system's keyboard lock toggles. Caps Lock and Num Lock come
// from the window system's modifier state; Scroll Lock has no such state
// here, so the runtime's own toggle is the truth for it.
struct LockStates {
    bool scroll_lock;
    bool caps_lock;
    bool num_lock;
};
LockStates os_lock_states();
void set_os_scroll_lock(bool on);

// The keys held down as the platform knows them, indexed by SDL 1.2's key
// symbol, and their count; null where it knows none.
const uint8_t* os_pressed_keys(int* count);

// Program thread: runs routine with the arithmetic-fault signal routed to a
// landing place in this call. A fault cannot be resumed (the instruction
// would fault again), so it leaves the faulting statement for the landing,
// which calls on_fault (run-time error 11, whose box ends the program).
void run_with_arithmetic_fault_landing(void (*routine)(), void (*on_fault)());

// Called on the main thread after each update of the window's surface, so
// the window system shows the frame now rather than at its leisure.
void window_surface_updated();

// A windowed program has no console of its own: the one it was started
// from, if any, takes its standard output and error (--help, --version).
void attach_parent_console();
