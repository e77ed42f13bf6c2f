// The play loop: one level from its set-up until the bomb is neutralised, a
// life is lost, the player quits or the program ends. The screen is the map:
// every rule reads back the character shown in a cell.
//
// | source lines | what                                   |
// |--------------|----------------------------------------|
// | 648-779      | the level's own work (level_mechanics) |
// | 780-819      | the chaser turn (chaser)               |
// | 820-885      | contacts, status, keys, moves          |
// | 887-903      | caught by an enemy                     |
// | 905-932      | the bomb explodes                      |
// | 934-954      | bomb neutralised                       |
// | 956-975      | trap death                             |
#pragma once

#include "game/screens.h"

// One step: the level's work, contacts, status, the clock, at most one key.
// Returns Screen::play to go on with the next step, or the hand-over.
Screen play_step();

// The seconds the level has left, from the time passed since its set-up. A
// set-up just before midnight, when TIMER falls back to 0, keeps its limit:
// a negative difference gets the day's 86,400 s added.
double remaining_seconds();

// difficulty_factor (0 Easy, 1 Normal, 2 Hard) and lives_factor (3, 2, 1 for
// 3, 5, 9 lives) from the menu's options, for the bonus.
void set_bonus_factors();

// The bonus of a neutralised bomb for the remaining seconds, with the
// difficulty and the lives of the menu.
float bomb_bonus(double remaining_s);
