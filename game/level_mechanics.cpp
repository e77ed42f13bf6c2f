#include "game/level_mechanics.h"

#include "game/basic.h"
#include "game/chaser.h"
#include "game/game_state.h"
#include "game/mechanics.h"

namespace {

struct Cell {
    float row, col;
};

// A key and the doors it opens. door_color 0: the doors are erased in the
// colour last set.
struct KeyCheck {
    int line;
    Cell key;
    float GameState::*flag;
    float door_color;
    Cell doors[3];
    int door_count;
};

constexpr KeyCheck level1_keys[] = {
    {650, {2, 2}, &GameState::key1_taken, 2, {{21, 17}, {15, 30}, {16, 26}}, 3},
    {653, {21, 28}, &GameState::key2_taken, 44, {{2, 26}}, 1},
    {656, {9, 28}, &GameState::key3_taken, 53, {{19, 6}, {19, 2}}, 2},
};

constexpr KeyCheck level2_keys[] = {
    {660, {2, 30}, &GameState::key1_taken, 0, {{20, 30}}, 1},
    {663, {21, 30}, &GameState::key2_taken, 44, {{2, 3}, {3, 2}}, 2},
    {666, {2, 2}, &GameState::key3_taken, 53, {{19, 2}}, 1},
};

void key_check(const KeyCheck& check) {
    const int line = check.line;
    if (!condition(line, [&] { return game.hero_row == check.key.row && game.hero_col == check.key.col && game.*check.flag == 0; }))
        return;
    statement(line, [] { play("o0l60adad"); });
    for (int i = 0; i < check.door_count; ++i) {
        const Cell& door = check.doors[i];
        statement(line + 1, [&] { locate(door.row, door.col); });
        if (check.door_color != 0) statement(line + 1, [&] { color(check.door_color); });
        statement(line + 1, [] { print({text(" ")}); });
    }
    statement(line + 2, [&] { game.*check.flag = 1; });
}

}  // namespace

void key_checks() {
    if (game.level == 1)
        for (const KeyCheck& check : level1_keys) key_check(check);
    if (game.level == 2)
        for (const KeyCheck& check : level2_keys) key_check(check);
}

// The mechanisms of levels 4 to 8 are in mechanics.h.
void level_own_work() {
    switch (static_cast<int>(game.level)) {
    case 1: key_checks(); chaser_turn(false); break;
    case 2: key_checks(); chaser_turn(true); break;
    case 4: generator_keys_and_bomb(); generator_chaser_turn(); break;
    case 5: falling_drop(); break;
    case 6: wall_crawler(); break;
    case 7: temple_key_and_bomb(); temple_patroller(); chaser_turn(false); break;
    case 8: fog_reward(); fog_chaser_turn(); break;
    case 9: chaser_turn(false); break;
    default: break;
    }
}
