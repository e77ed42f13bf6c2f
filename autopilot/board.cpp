#include "board.h"

#include <cstddef>

#include "runtime/screen/palettes.h"

int shown_color(int palette_index) {
    uint32_t rgb = vga256_palette[static_cast<std::size_t>(palette_index & 255)] & 0xFFFFFF;
    for (int index = 0; index < 256; ++index)
        if ((vga256_palette[static_cast<std::size_t>(index)] & 0xFFFFFF) == rgb) return index;
    return palette_index;
}

LevelLook level_look(int level, bool hard) {
    LevelLook look;
    look.level = level;
    switch (level) {
    case 1: look = {1, 4, {shown_color(120), -1}, hard}; break;
    case 2: look = {2, 5, {shown_color(12), -1}, hard, hard ? 4 : 5}; break;
    case 4: look = {4, 6, {shown_color(44), -1}, true, 5, hard ? 3 : 10}; break;
    case 5: look = {5, 46, {shown_color(40), -1}, false}; break;
    case 7: look = {7, 4, {shown_color(120), -1}, false, hard ? 4 : 5}; break;
    // The fog enemy looks like the fog but for its colour, which turns 44
    // once the double line has caught it.
    case 8: look = {8, 176, {shown_color(84), shown_color(44)}, hard}; break;
    case 9: look = {9, 2, {shown_color(8), -1}, true}; break;
    default: break;
    }
    return look;
}

namespace {

bool is_chaser(const LevelLook& look, int row, uint8_t code, uint8_t color) {
    if (look.chaser_glyph == 0 || code != look.chaser_glyph) return false;
    if (look.level == 5) return row < 22;  // drops on row 22 have landed
    return color == look.chaser_colors[0] || color == look.chaser_colors[1];
}

}  // namespace

Sighting look_at(const Board& board, const LevelLook& look) {
    Sighting seen;
    const int hero_color = shown_color(66);
    const int patroller_color = shown_color(44);
    for (int row = 1; row <= 23; ++row) {
        for (int col = 1; col <= 31; ++col) {
            uint8_t code = board.code[row][col];
            uint8_t color = board.color[row][col];
            Cell cell{row, col};
            if (code == 2 && color == hero_color) {
                seen.hero_seen = true;
                seen.hero = cell;
            } else if (is_chaser(look, row, code, color)) {
                seen.chasers.push_back(cell);
            } else if (look.level == 7 && code == 15 && color == patroller_color) {
                seen.patroller_seen = true;
                seen.patroller = cell;
            } else if (code == 235) {
                seen.bombs.push_back(cell);
            } else if ((code == 156 || code == '*') && row >= 2 && row <= 22) {
                seen.keys.push_back(cell);
            } else if (look.level == 5 && code == '.' && row == 22) {
                seen.landed_drops.push_back(cell);
            }
        }
    }
    return seen;
}
