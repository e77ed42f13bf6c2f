// Which thread is running, and how the program thread and the process end.
//
// Every subsystem calls these; they know nothing of the subsystems above them.
// The start-up and shutdown (runtime/lifecycle) set the roles and hand in the
// shutdown to run when the process must end from the main thread.
//
// | role    | runs                                                     |
// |---------|----------------------------------------------------------|
// | main    | events, presentation, the sound queue, the BIOS ticks    |
// | program | the program routine and every statement it calls         |
// | timer   | ON TIMER (idle in this game)                             |
#pragma once

enum class ThreadRole { other, main, program, timer };

// Marks the calling thread; each thread does so as its first step.
void set_thread_role(ThreadRole role);
bool on_program_thread();
bool on_main_thread();

// Program thread: runs routine until stop_program_thread ends it, then
// returns, so that the thread function returns and a wait for the thread ends
// on every SDL 1.2 (one built on SDL 2 cannot kill a thread).
void run_program_thread(void (*routine)());

// Program thread: marks it stopped, waits for shutdown to begin, then unwinds
// its whole stack (every destructor runs) back into run_program_thread. Where
// the platform cannot unwind, or the unwind fails, it jumps there directly
// (no destructors): the thread must end either way.
[[noreturn]] void stop_program_thread();

// The parts of the stop that every platform's threads_<platform>.cpp shares:
// the program thread marks itself stopped and waits for the shutdown; where
// the stack cannot be unwound by force, the stop is thrown, and
// run_with_thrown_stop (which runs the routine) catches it.
void mark_stopped_and_wait_for_shutdown();
void run_with_thrown_stop(void (*routine)());
[[noreturn]] void throw_stop();

// How the program thread's end is to go; tests set it.
struct ProgramThreadEnd {
    bool unwind_fails = false;  // the forced unwind reports an error instead of unwinding
};
extern ProgramThreadEnd program_thread_end;

// The shutdown that the main thread runs to end the process; installed once
// the worker threads run.
void set_shutdown(void (*shutdown)());

// Main thread (or any thread when the worker threads do not run): ends the
// process at once, through the shutdown where one can run.
[[noreturn]] void end_process_now();

// Any thread: the main loop is wanted now (a key came, the program drew,
// queued a sound or asks something of the loop). Where the loop rests while
// nothing is due (a page), it takes up its pace at once; elsewhere it never
// rests and this does nothing. Cheap enough for every statement that draws.
void wake_main_loop();
