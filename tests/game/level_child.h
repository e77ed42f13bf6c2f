// In a runtime child: a level drawn by its real set-up, and the hero put
// where a case needs him.
#pragma once

#include "game/game_child.h"
#include "game/level_data.h"
#include "game/level_setup.h"

// The set-up of level, with no step pause and five lives; the chasers are
// silent unless enemy_sound is 1.
inline void begin_level(int level, float hard = 0, float enemy_sound = 0) {
    game.level = static_cast<float>(level);
    game.hard_mode = hard;
    game.enemy_sound = enemy_sound;
    game.step_pause = 0;
    game.practice = 0;
    game.lives_setting = 5;
    game.lives_left = 5;
    start_level();
}

// The hero taken from his cell to another, as a move draws him.
inline void place_hero(float row, float col) {
    put_char(game.hero_row, game.hero_col, 32, 66);
    game.hero_row = row;
    game.hero_col = col;
    put_char(row, col, hero_code, 66);
}
