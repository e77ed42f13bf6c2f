// The game's variables, and its only delay.
//
// Every number is a 32-bit float, as the program's variables were; where one
// goes to the runtime as an integer (a row, a colour, a count) it is rounded
// to nearest, and all such values in the game are whole. The three texts are
// dynamic strings of the runtime.
#pragma once

#include <cstdint>

struct StringDescriptor;

struct GameState {
    // Options and the run (kept until the process ends).
    float lives_setting = 0;         // 3, 5 or 9: lives at the start of a game (menu B)
    float level = 0;                 // 1..9; 10 once level 9 is won
    float enemy_sound = 0;           // 1: the chasers' move notes sound (menu C)
    float score = 0;                 // set to 0 on every pass of the menu
    float hard_mode = 0;             // 1: difficulty Hard
    float easy_bonus_seconds = 0;    // 30 on Easy: added to every time limit
    float title_jingle_pending = 0;  // 1 until the first title screen has played its jingle
    float medal_won = 0;             // 1 after the Hard ending: the title shows the medal
    float step_pause = 0;            // 1: every play step waits a tick (hidden key "g")
    float fullscreen = 0;            // menu S
    float joystick_enabled = 0;      // menu T
    float practice = 0;              // 1: a single level chosen with 1-9
    float lives_left = 0;
    float fade_color = 0;            // the splash's colour counter
    float cycle_color = 0;           // the title's colour counter
    float stick_x = 0, stick_y = 0;  // last STICK(0), STICK(1)
    float x_min = 0, x_max = 0, y_min = 0, y_max = 0;  // joystick thresholds
    StringDescriptor* key = nullptr; // last INKEY$

    // The running level.
    float hero_row = 0, hero_col = 0;
    float enemy1_row = 0, enemy1_col = 0;  // the chaser; level 5: the drop; 0: none
    float enemy2_row = 0, enemy2_col = 0;  // levels 2, 4: silent chaser; level 7: the patroller
    float enemy_glyph = 0, enemy_color = 0;
    float enemy_period = 0;       // chasers move on one step out of this many
    float enemy_tick = 0;         // counts steps towards enemy_period
    float enemy_double_step = 0;  // 1: a chaser goes on with its remaining rules after a move
    StringDescriptor* horizontal_note = nullptr;  // empty when enemy_sound is 0
    StringDescriptor* vertical_note = nullptr;
    float bomb_row = 0, bomb_col = 0;
    float time_limit = 0;        // seconds
    float level_start_time = 0;  // TIMER at the set-up
    float trap_side = 0;         // trap that killed the hero: 1 above, 2 below, 3 right, 4 left
    float difficulty_factor = 0; // 0 Easy, 1 Normal, 2 Hard
    float lives_factor = 0;      // 3, 2, 1 for 3, 5, 9 lives

    // Mechanisms of single levels.
    float key1_taken = 0, key2_taken = 0, key3_taken = 0, key4_taken = 0;
    float phase_counter = 0;    // level 4: turns since the generator changed; level 7: patrol direction
    float generator_state = 0;  // level 4: +1 traps, -1 walls
    float drops_caught = 0;     // level 5
    float crawler_period = 0;   // level 6
    float crawler_row = 0, crawler_col = 0;
    float drop_random = 0;      // level 5: this step's RND
};

// The one record of the run, owned by game_main.
extern GameState game;

// Numbers back to 0; the texts keep their descriptors but become empty once
// they exist (tests run many games in one process).
void reset_game_state();

// The game's only delay: waits for n changes of the TIMER value (n ticks of
// the 18.2 per second clock); n below 1 returns at once.
void wait_ticks(int16_t n);
