// Start-up, the main loop and shutdown: the composition root, above every
// subsystem it starts. Nothing in the subsystems includes this header; what
// they need of the threads is in runtime/core/threads.h.
//
// Threads: runtime_main turns its caller into the main thread (events,
// presentation, the sound queue, the BIOS tick count) after starting the
// program thread (the program routine and every statement it runs) and the
// timer-event thread (ON TIMER, idle in this game).
#pragma once

#include <cstdint>

using ProgramRoutine = void (*)();

// Runs the whole program with routine on the program thread. Returns (with 0)
// only when a worker thread cannot be created; every other end exits the
// process with its status.
int runtime_main(int argc, char** argv, ProgramRoutine routine);

// Iterations of the main loop since start-up (for measurements).
uint32_t main_loop_iteration_count();
