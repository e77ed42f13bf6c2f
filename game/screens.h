// The game's screens and how control passes between them.
//
// The program this game was written as jumps from screen to screen and never
// returns. Here every screen is a function that runs to its end and returns
// the screen that comes next; game_main alone calls them, one after another,
// so that hours of play keep the stack as flat as it was at the start.
#pragma once

enum class Screen {
    splash,
    title,
    menu,
    calibration,  // joystick calibration
    help,
    start_of_game,
    level_setup,  // start_level of the current level
    play,         // one more play step
    game_over,
    ending,
};

// The game's main routine: the program thread's routine. Ends only through
// SYSTEM (the exit keys) or the runtime's shutdown.
[[noreturn]] void game_main();

// Start-up: windowed display, SCREEN 13, the options' start values.
void start_up();

// The screens of the menu side (flow.cpp).
Screen splash_screen();
Screen title_screen();
Screen main_menu();
Screen joystick_calibration();
Screen help_screen();
Screen start_of_game();

// Runs screen and returns the one after it.
Screen run_screen(Screen screen);

// The full-screen key check on the key last read: "s" or "S" toggles the
// display between windowed and full screen once and empties the key. line is
// the source line of its statements.
void fullscreen_key_check(int line);
