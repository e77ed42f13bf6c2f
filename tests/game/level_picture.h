// What a level's set-up must show in the maze area: the maze rows with the
// borders, overlaid by its items and its start drawing.
#pragma once

#include <array>

#include "game/level_data.h"

using LevelPicture = std::array<std::array<uint8_t, maze_width + 1>, 24>;  // [row 1-23][col 1-31]

inline LevelPicture expected_level_picture(int level) {
    const LevelLayout& layout = level_layout(level);
    LevelPicture expected{};
    for (int col = 1; col <= maze_width; ++col) {
        expected[1][col] = layout.border_top;
        expected[23][col] = layout.border_bottom;
        for (int row = 2; row <= 22; ++row) expected[row][col] = layout.rows[row - 2][col - 1];
    }
    for (int i = 0; i < layout.item_count; ++i) expected[layout.items[i].row][layout.items[i].col] = layout.items[i].code;
    if (layout.bomb_after_time_limit) expected[layout.bomb_row][layout.bomb_col] = bomb_code;
    for (int i = 0; i < layout.start_draw_count; ++i) {
        if (layout.start_draw[i] == StartDraw::bomb) expected[layout.bomb_row][layout.bomb_col] = bomb_code;
        if (layout.start_draw[i] == StartDraw::hero) expected[layout.hero_row][layout.hero_col] = hero_code;
        if (layout.start_draw[i] == StartDraw::enemy1) expected[layout.enemy1_row][layout.enemy1_col] = layout.enemy_glyph;
    }
    return expected;
}
