// The autopilot's tests' boards: a level's start as the autopilot would see
// it, from the level's own data, and small situations drawn as text.
#pragma once

#include <string>
#include <vector>

#include "autopilot/board.h"
#include "game/level_picture.h"

// Puts a code in a colour (a palette index as the game draws it; 0: none).
inline void put(Board& board, Cell cell, uint8_t code, int color) {
    board.code[cell.row][cell.col] = code;
    board.color[cell.row][cell.col] = static_cast<uint8_t>(color == 0 ? 0 : shown_color(color));
}

inline Board start_board(int level) {
    Board board;
    LevelPicture picture = expected_level_picture(level);
    for (int row = 1; row <= 23; ++row)
        for (int col = 1; col <= maze_width; ++col) board.code[row][col] = picture[row][col];
    const LevelLayout& layout = level_layout(level);
    put(board, {layout.hero_row, layout.hero_col}, hero_code, hero_color);
    // Only where the enemy is drawn: a colour on a blank would be read as something.
    if (layout.enemy1_row != 0 && picture[layout.enemy1_row][layout.enemy1_col] == layout.enemy_glyph)
        put(board, {layout.enemy1_row, layout.enemy1_col}, layout.enemy_glyph, layout.enemy_color);
    return board;
}

// Level 4 once its four keys are taken: the bomb shown in its chamber, the
// hero at his cell, no chaser drawn.
inline Board generator_board(Cell hero) {
    const LevelLayout& layout = level_layout(4);
    Board board = start_board(4);
    put(board, {layout.hero_row, layout.hero_col}, blank_code, 0);
    for (int i = 0; i < layout.item_count; ++i) put(board, {layout.items[i].row, layout.items[i].col}, blank_code, 0);
    put(board, {layout.bomb_row, layout.bomb_col}, bomb_code, layout.bomb_color);
    put(board, hero, hero_code, hero_color);
    return board;
}

// A board from text rows starting at row 1, column 1: '#' wall, 'T' trap,
// 'H' hero, 'E' chaser, 'B' bomb, '*' key, '|' double line, ':' fog,
// 'P' patroller; anything else is blank.
inline Board drawn(const std::vector<std::string>& rows, const LevelLook& look) {
    Board board;
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const Cell cell{static_cast<int>(r) + 1, static_cast<int>(c) + 1};
            switch (rows[r][c]) {
            case '#': put(board, cell, wall_code, 9); break;
            case 'T': put(board, cell, trap_code, 53); break;
            case 'H': put(board, cell, hero_code, hero_color); break;
            case 'E': board.code[cell.row][cell.col] = look.chaser_glyph, board.color[cell.row][cell.col] = static_cast<uint8_t>(look.chaser_colors[0]); break;
            case 'B': put(board, cell, bomb_code, 8); break;
            case '*': put(board, cell, star_key_code, 14); break;
            case '|': put(board, cell, double_line_code, 9); break;
            case ':': put(board, cell, fog_code, fog_color); break;
            case 'P': put(board, cell, patroller_code, patroller_color); break;
            default: break;
            }
        }
    }
    return board;
}

// The maze area walled round and filled with fill.
inline std::vector<std::string> room(char fill) {
    std::vector<std::string> rows(23, "#" + std::string(maze_width - 2, fill) + "#");
    rows.front() = rows.back() = std::string(maze_width, '#');
    return rows;
}
