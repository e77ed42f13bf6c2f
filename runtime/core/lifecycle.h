// Start-up, the main loop, and every way the program ends.
//
// Threads: runtime_main turns its caller into the main thread (events,
// presentation, the sound queue, the BIOS tick count) after starting the
// program thread (the program routine and every statement it runs) and the
// timer-event thread (ON TIMER, idle in this game).
#pragma once

#include <cstdint>
#include <string>

using ProgramRoutine = void (*)();

// Runs the whole program with routine on the program thread. Returns (with 0)
// only when a worker thread cannot be created; every other end exits the
// process with its status.
int runtime_main(int argc, char** argv, ProgramRoutine routine);

[[noreturn]] void end_program();          // END
[[noreturn]] void system_exit();          // SYSTEM
[[noreturn]] void stop_program_thread();  // program thread: ends it once shutdown has begun

// Main thread (or any thread when the threads are not running): ends the
// process at once through the ordinary shutdown where one can run.
[[noreturn]] void end_process_now();

bool on_program_thread();
bool on_main_thread();

// COMMAND$: the arguments after the program name joined with single spaces.
extern std::string command_line_text;
std::string join_command_line(int argc, char** argv);

// bios_tick_count for a moment: the ms since local midnight modulo a day,
// times 0.0182, truncated.
uint32_t bios_ticks_at(uint32_t now_ticks_ms, uint32_t ticks_base_ms, uint32_t ms_of_day_base);
void refresh_bios_tick_count();
uint32_t read_bios_tick_count();

// Iterations of the main loop since start-up (for measurements).
uint32_t main_loop_iteration_count();
