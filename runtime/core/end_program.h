// The statements that end the program: END and SYSTEM. Program thread only;
// both leave the program routine through stop_program_thread once the main
// thread has begun the shutdown.
#pragma once

// END: "Press any key to continue" on the bottom text row, one key, then the
// ordinary shutdown.
[[noreturn]] void end_program();

// SYSTEM: the ordinary shutdown at once.
[[noreturn]] void system_exit();
