// Where the main loop's time comes from and how its passes are paced. On
// the desktop the loop owns its thread and sleeps between passes; a page's
// main thread must return to the browser between them, which calls the
// passes back (main_loop_pace_<platform>.cpp).
#pragma once

// Takes both halves of TIMER's time base: control.ticks_base and
// control.ms_of_day_base.
void establish_time_base();

// Where the loop owns its thread (Linux, Windows): waits for the wall-clock
// second to change so that TIMER starts on a whole second, then takes both
// halves of the time base at that moment.
void establish_time_base_on_a_whole_second();

// Whether a pass may sleep on its thread (a parked loop, a shell's wait, the
// gaps of the retrace rhythm); false in a page, where it returns instead.
bool main_loop_sleeps();

// Runs pass for ever at the loop's pace of one pass per 16 ms or so. A pass
// returns whether it found anything to follow (an event, a key held, a sound
// waiting, a changed frame, a controller, a request of the program's); where
// the loop can rest (a page), a second of passes that found nothing lets it
// rest until wake_main_loop (runtime/core/threads.h).
[[noreturn]] void run_main_loop(bool (*pass)());
