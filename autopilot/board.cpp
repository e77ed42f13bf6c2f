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
    const LevelLayout& layout = level_layout(level);
    LevelLook look;
    look.level = level;
    if (level == 5) {
        look.chaser_glyph = drop_code;
        look.chaser_colors[0] = shown_color(drop_color);
    } else if (layout.enemy1_row != 0) {
        look.chaser_glyph = layout.enemy_glyph;
        look.chaser_colors[0] = shown_color(layout.enemy_color);
    }
    // The fog enemy looks like the fog but for its colour, which changes
    // once the double line has caught it.
    if (level == 8) look.chaser_colors[1] = shown_color(captured_color);
    look.double_step = (hard ? layout.double_step_hard : layout.double_step_normal) == 1;
    look.period = hard ? layout.period_hard : layout.period_normal;
    look.generator_turns = hard ? generator_turns_hard : generator_turns_normal;
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
    const int hero_shown = shown_color(hero_color);
    const int patroller_shown = shown_color(patroller_color);
    for (int row = 1; row <= 23; ++row) {
        for (int col = 1; col <= 31; ++col) {
            uint8_t code = board.code[row][col];
            uint8_t color = board.color[row][col];
            Cell cell{row, col};
            if (code == hero_code && color == hero_shown) {
                seen.hero_seen = true;
                seen.hero = cell;
            } else if (is_chaser(look, row, code, color)) {
                seen.chasers.push_back(cell);
            } else if (look.level == 7 && code == patroller_code && color == patroller_shown) {
                seen.patroller_seen = true;
                seen.patroller = cell;
            } else if (code == bomb_code) {
                seen.bombs.push_back(cell);
            } else if ((code == pound_key_code || code == star_key_code) && row >= 2 && row <= 22) {
                seen.keys.push_back(cell);
            } else if (look.level == 5 && code == drop_code && row == 22) {
                seen.landed_drops.push_back(cell);
            }
        }
    }
    return seen;
}
