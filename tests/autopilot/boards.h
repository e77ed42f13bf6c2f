// A level's start as the autopilot would see it, from the level's own data:
// the maze with its items, the hero and the first enemy in their colours.
#pragma once

#include "autopilot/board.h"
#include "game/level_picture.h"

inline Board start_board(int level) {
    Board board;
    LevelPicture picture = expected_level_picture(level);
    for (int row = 1; row <= 23; ++row)
        for (int col = 1; col <= maze_width; ++col) board.code[row][col] = picture[row][col];
    const LevelLayout& layout = level_layout(level);
    board.color[layout.hero_row][layout.hero_col] = static_cast<uint8_t>(shown_color(66));
    // Only where the enemy is drawn: a colour on a blank would be read as something.
    if (layout.enemy1_row != 0 && picture[layout.enemy1_row][layout.enemy1_col] == layout.enemy_glyph)
        board.color[layout.enemy1_row][layout.enemy1_col] = static_cast<uint8_t>(shown_color(layout.enemy_color));
    return board;
}
