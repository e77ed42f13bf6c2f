// The nine mazes and everything their set-up draws and sets.
//
// Every maze fills text rows 1 to 23 and columns 1 to 31: a border row of
// one repeated character, 21 inner rows, a border row. The inner rows are
// written below in the glyphs they show; maze_row turns them into code page
// 437 codes while compiling, so a reader sees the maze and the program gets
// the bytes:
//
// | glyph | code | glyph | code |
// |-------|------|-------|------|
// | █     | 219  | ║     | 186  |
// | ▓     | 178  | ═     | 205  |
// | ▒     | 177  | ╚     | 200  |
// | ░     | 176  | ╗     | 187  |
// | τ     | 231  | ▄     | 220  |
// | blank | 32   | ▀     | 223  |
//
// Capital letters (the writing in level 9) are plain ASCII.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int maze_width = 31;
constexpr int maze_inner_rows = 21;  // screen rows 2 to 22
constexpr int level_count = 9;

using MazeRow = std::array<uint8_t, maze_width>;

namespace maze_detail {

// Not constexpr on purpose: reaching it while compiling a maze row stops the
// build, which is how a row of the wrong length or with an unknown glyph shows.
void maze_row_is_not_31_known_glyphs();

constexpr uint8_t glyph_code(char32_t glyph) {
    switch (glyph) {
    case U'\u2588': return 219;  // █
    case U'\u2593': return 178;  // ▓
    case U'\u2592': return 177;  // ▒
    case U'\u2591': return 176;  // ░
    case U'\u03C4': return 231;  // τ
    case U'\u2551': return 186;  // ║
    case U'\u2550': return 205;  // ═
    case U'\u255A': return 200;  // ╚
    case U'\u2557': return 187;  // ╗
    case U'\u2584': return 220;  // ▄
    case U'\u2580': return 223;  // ▀
    default:
        if (glyph >= 32 && glyph < 127) return static_cast<uint8_t>(glyph);
        maze_row_is_not_31_known_glyphs();
        return 0;
    }
}

}  // namespace maze_detail

// A maze row from its UTF-8 picture: exactly 31 glyphs of the table above.
template <size_t N>
consteval MazeRow maze_row(const char (&text)[N]) {
    MazeRow row{};
    int count = 0;
    for (size_t i = 0; i + 1 < N;) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t glyph = byte;
        size_t extra = 0;
        if (byte >= 0xF0) {
            glyph = byte & 0x07;
            extra = 3;
        } else if (byte >= 0xE0) {
            glyph = byte & 0x0F;
            extra = 2;
        } else if (byte >= 0xC0) {
            glyph = byte & 0x1F;
            extra = 1;
        }
        for (size_t k = 1; k <= extra; ++k) glyph = (glyph << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += 1 + extra;
        if (count == maze_width) maze_detail::maze_row_is_not_31_known_glyphs();
        row[count++] = maze_detail::glyph_code(glyph);
    }
    if (count != maze_width) maze_detail::maze_row_is_not_31_known_glyphs();
    return row;
}

// A character put on the board by the set-up: a key, a door, a block.
struct CellItem {
    uint8_t row;
    uint8_t col;
    uint8_t code;
    uint8_t color;
};

// What the set-up draws last, in the level's order.
enum class StartDraw : uint8_t { bomb, hero, enemy1 };

struct LevelLayout {
    int first_line;  // source line of the set-up's first statement
    const char* label;
    const char* name;
    uint8_t maze_color;
    uint8_t border_top;
    uint8_t border_bottom;
    uint8_t hero_row, hero_col;
    uint8_t bomb_row, bomb_col;
    uint8_t bomb_color;
    uint8_t enemy_glyph, enemy_color;
    uint8_t enemy1_row, enemy1_col;  // 0: no first enemy
    uint8_t enemy2_row, enemy2_col;  // 0: no second enemy
    uint8_t period_normal, period_hard;
    int8_t double_step_normal, double_step_hard;  // -1: left as it was
    uint8_t time_s;       // Easy adds its bonus to this
    uint8_t hard_time_s;  // 0: Hard keeps time_s
    const char* horizontal_note;
    const char* vertical_note;
    std::array<CellItem, 9> items;  // keys and doors, drawn in this order
    uint8_t item_count;
    bool items_after_clock;         // level 4 draws its keys after taking the time
    bool bomb_after_time_limit;     // level 6 draws its bomb while setting its members
    std::array<StartDraw, 3> start_draw;
    uint8_t start_draw_count;
    std::array<MazeRow, maze_inner_rows> rows;
};

constexpr uint8_t door_code = 8;
constexpr uint8_t pound_key_code = 156;  // "£"
constexpr uint8_t star_key_code = 42;    // "*"
constexpr uint8_t wall_code = 219;
constexpr uint8_t trap_code = 178;
constexpr uint8_t bomb_code = 235;
constexpr uint8_t hero_code = 2;
constexpr uint8_t blank_code = 32;
constexpr uint8_t hero_color = 66;
// The hero cannot step onto a door, nor onto any code from 177 (▒) up:
// walls, traps, the lines, the bomb.
constexpr uint8_t lowest_blocking_code = 177;

// The pieces the levels' own mechanisms draw (game/mechanics.cpp).
constexpr uint8_t drop_code = 46;         // level 5: "."
constexpr uint8_t drop_color = 40;
constexpr uint8_t obstacle_code = 231;    // level 5: turns a drop aside
constexpr uint8_t fog_code = 176;         // level 8
constexpr uint8_t fog_color = 80;
constexpr uint8_t double_line_code = 186; // level 8: sends the enemy back
constexpr uint8_t patroller_code = 15;    // level 7: enemy 2 on row 2
constexpr uint8_t patroller_color = 44;
constexpr int patroller_turn_before_col = 6;  // it turns back once left of this column
constexpr int patroller_turn_after_col = 25;  // or right of this one
constexpr uint8_t captured_color = 44;    // level 8: the enemy's colour once captured

struct MazeCell {
    uint8_t row, col;
};

// Level 4: the generator's cells around the bomb's chamber, which turn from
// walls to traps and back every so many chaser turns.
inline constexpr MazeCell generator_cells[] = {{10, 15}, {10, 18}, {12, 15}, {12, 18}};
constexpr int generator_turns_normal = 10;
constexpr int generator_turns_hard = 3;

// Levels 1 to 9 at indexes 0 to 8.
inline constexpr std::array<LevelLayout, level_count> level_layouts{{
    {  // level 1
        .first_line = 592,
        .label = "Level 1",
        .name = "D-CASTLE",
        .maze_color = 6,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 14,
        .bomb_row = 22, .bomb_col = 3,
        .bomb_color = 26,
        .enemy_glyph = 4, .enemy_color = 120,
        .enemy1_row = 3, .enemy1_col = 2,
        .enemy2_row = 0, .enemy2_col = 0,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = 0, .double_step_hard = 1,
        .time_s = 60,
        .hard_time_s = 0,
        .horizontal_note = "d",
        .vertical_note = "c",
        .items = {{{19, 6, 8, 53}, {19, 2, 8, 53}, {2, 26, 8, 44}, {21, 17, 8, 2}, {15, 30, 8, 2}, {16, 26, 8, 2}, {2, 2, 156, 2}, {9, 28, 156, 53}, {21, 28, 156, 44}}},
        .item_count = 9,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::bomb, StartDraw::hero, StartDraw::enemy1}},
        .start_draw_count = 3,
        .rows = {{
        maze_row("█        █      █     █       █"),
        maze_row("█ ██████ █ ████   ███   █████ █"),
        maze_row("█          █    █     █    █  █"),
        maze_row("█ ██ ███ █   ██   █ █   █  █  █"),
        maze_row("█ █    █   █  █████ █ ███ ██  █"),
        maze_row("█ ███    ███ ██           █  ██"),
        maze_row("█ █ █ ██         █ ███ █████  █"),
        maze_row("█   █  ██ ███    █ █     █    █"),
        maze_row("█ █ █       █   ██ █  █  █    █"),
        maze_row("█ █     █   █   █  █ ███ ██████"),
        maze_row("█ ███████ ████ ██  █          █"),
        maze_row("█          █   █     █ █ ████ █"),
        maze_row("█ ██████ █ █   █   █          █"),
        maze_row("█        █ █ █ ██  ██████████ █"),
        maze_row("█ ██ ██  █   █      █         █"),
        maze_row("█ █   ██ █████ ████████ ██ █ ██"),
        maze_row("█ █    █     █    █ █   █     █"),
        maze_row("█ ███ ██ █ █ ████     █ ██ █ ██"),
        maze_row("█      █        █████████     █"),
        maze_row("█  █ █ █  █ ██     ██   ███ ███"),
        maze_row("█      █    █  ██     █       █"),
        }},
    },
    {  // level 2
        .first_line = 539,
        .label = "Level 2",
        .name = "SPITE SAK",
        .maze_color = 25,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 16,
        .bomb_row = 22, .bomb_col = 2,
        .bomb_color = 8,
        .enemy_glyph = 5, .enemy_color = 12,
        .enemy1_row = 4, .enemy1_col = 2,
        .enemy2_row = 6, .enemy2_col = 15,
        .period_normal = 5, .period_hard = 4,
        .double_step_normal = 0, .double_step_hard = 1,
        .time_s = 50,
        .hard_time_s = 0,
        .horizontal_note = "f",
        .vertical_note = "a",
        .items = {{{19, 2, 8, 53}, {2, 3, 8, 44}, {3, 2, 8, 44}, {20, 30, 8, 2}, {2, 2, 156, 53}, {2, 30, 156, 2}, {21, 30, 156, 44}}},
        .item_count = 7,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::bomb, StartDraw::hero, StartDraw::enemy1}},
        .start_draw_count = 3,
        .rows = {{
        maze_row("█          █     █      █     █"),
        maze_row("█ █  █ █         █   █      █ █"),
        maze_row("█ █    █   ▓     █  ██▓███▓████"),
        maze_row("█ ████ █         █            █"),
        maze_row("█          █       █████ ████ █"),
        maze_row("████             █            █"),
        maze_row("█  █ █ █ █ █     ████ █ █ █ █ █"),
        maze_row("█                             █"),
        maze_row("█ ██████ █████ ██████ █████   █"),
        maze_row("█                         █   █"),
        maze_row("█ █████  ▓███▓ ██████ ███ █   █"),
        maze_row("█     █                 █ █   █"),
        maze_row("█ ███ █  █ █████ ███  ███ ███ █"),
        maze_row("█ █   █    █       █  █     █ █"),
        maze_row("█ ███ ███ ███ ███ ███ ███ ███ █"),
        maze_row("█                             █"),
        maze_row("█ █████████ ██████ ██████████ █"),
        maze_row("█ █                         █ █"),
        maze_row("█ █   ▓   █   █   ▓   █   █ █ █"),
        maze_row("█ █ █   █   ▓   █   █   ▓   █ █"),
        maze_row("█ █                         █ █"),
        }},
    },
    {  // level 3
        .first_line = 493,
        .label = "Level 3",
        .name = "LOBOTRON",
        .maze_color = 2,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 30,
        .bomb_row = 2, .bomb_col = 2,
        .bomb_color = 8,
        .enemy_glyph = 5, .enemy_color = 12,
        .enemy1_row = 0, .enemy1_col = 0,
        .enemy2_row = 0, .enemy2_col = 0,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = -1, .double_step_hard = -1,
        .time_s = 40,
        .hard_time_s = 31,
        .horizontal_note = "ad",
        .vertical_note = "ac",
        .items = {{}},
        .item_count = 0,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::bomb, StartDraw::hero}},
        .start_draw_count = 2,
        .rows = {{
        maze_row("█                             █"),
        maze_row("█████████████████████████████ █"),
        maze_row("█              ▓              █"),
        maze_row("█ ████ ███                  █ ▓"),
        maze_row("█     ▓     ▓    ██  ▓  ▓ ██  █"),
        maze_row("█ ██ █ ███ █ █ ██  █   █ █  █ █"),
        maze_row("█▓        █   █      ▓        █"),
        maze_row("█  ▓     █  █    ██ █████▓█ █ █"),
        maze_row("█   █ █ █                     ▓"),
        maze_row("█  ▓         ▓ ██▓  ███     █ ▓"),
        maze_row("█     █                 ▓     ▓"),
        maze_row("█ █ █    ▓█████▓    █       █ ▓"),
        maze_row("█      █         █    █   █   ▓"),
        maze_row("█▓   ▓   █ █ █ █   ▓    █     █"),
        maze_row("█                █   ██████▓█ █"),
        maze_row("█  █  █ ██ █  █ ▓           █ █"),
        maze_row("▓                ███ █████  █ █"),
        maze_row("█ █ █ █  █ ▓ █ █         ▓    █"),
        maze_row("█       ▓         █   ▓   ▓   █"),
        maze_row("█ █████████████████████████████"),
        maze_row("█                             █"),
        }},
    },
    {  // level 4
        .first_line = 446,
        .label = "Level 4",
        .name = "GENERATOR",
        .maze_color = 9,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 7, .hero_col = 20,
        .bomb_row = 10, .bomb_col = 16,
        .bomb_color = 8,
        .enemy_glyph = 6, .enemy_color = 44,
        .enemy1_row = 4, .enemy1_col = 2,
        .enemy2_row = 20, .enemy2_col = 25,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = 1, .double_step_hard = 1,
        .time_s = 50,
        .hard_time_s = 0,
        .horizontal_note = "b",
        .vertical_note = "g",
        .items = {{{2, 2, 42, 12}, {2, 30, 42, 12}, {22, 30, 42, 12}, {22, 2, 42, 12}}},
        .item_count = 4,
        .items_after_clock = true,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::hero}},
        .start_draw_count = 1,
        .rows = {{
        maze_row("█    █                        █"),
        maze_row("█ █████                 █████ █"),
        maze_row("█ █                         ███"),
        maze_row("█ █   ██                ██  █ █"),
        maze_row("█     ██    ████████    ██    █"),
        maze_row("█                             █"),
        maze_row("█   ██                  ██    █"),
        maze_row("█   ██     ██████████   ██    █"),
        maze_row("█   ██        █  █      ██    █"),
        maze_row("█                             █"),
        maze_row("█   ██        █  █      ██    █"),
        maze_row("█   ██     ██████████   ██    █"),
        maze_row("█   ██                  ██    █"),
        maze_row("█                             █"),
        maze_row("█                             █"),
        maze_row("█                             █"),
        maze_row("█     ██   █████████   ██     █"),
        maze_row("█ █   ██               ██   █ █"),
        maze_row("███                         █ █"),
        maze_row("█ █████                 █████ █"),
        maze_row("█                        █    █"),
        }},
    },
    {  // level 5
        .first_line = 399,
        .label = "Level 5",
        .name = "CHINTOY",
        .maze_color = 152,
        .border_top = 236,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 22,
        .bomb_row = 2, .bomb_col = 2,
        .bomb_color = 7,
        .enemy_glyph = 15, .enemy_color = 53,
        .enemy1_row = 2, .enemy1_col = 15,
        .enemy2_row = 0, .enemy2_col = 0,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = -1, .double_step_hard = -1,
        .time_s = 90,
        .hard_time_s = 70,
        .horizontal_note = "d",
        .vertical_note = "c",
        .items = {{}},
        .item_count = 0,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::hero}},
        .start_draw_count = 1,
        .rows = {{
        maze_row("█                             █"),
        maze_row("█  τ                   τ      █"),
        maze_row("█        ττ     τ       τ     █"),
        maze_row("█                  τ     τ    █"),
        maze_row("█    τ             τ τ        █"),
        maze_row("█   τ   τ τ τ τ               █"),
        maze_row("█              τ      τ       █"),
        maze_row("█      τ τ τ τ   τ     τ      █"),
        maze_row("█     τ                 τ τ   █"),
        maze_row("█  τ      τ τ     τ   τ       █"),
        maze_row("█   τ          ττ          τ  █"),
        maze_row("█        τ    τ      τ  ττ    █"),
        maze_row("█ τ              τ  τ       τ █"),
        maze_row("█     τ    τ          τ  τ    █"),
        maze_row("█              τ             τ█"),
        maze_row("█τ  τ   τ         τ  τ   ττ   █"),
        maze_row("█ τ           τ    τ    τ   τ █"),
        maze_row("█   τ τ  τ  τ                 █"),
        maze_row("█                  τ  τ       █"),
        maze_row("█        τ             τ      █"),
        maze_row("█                             █"),
        }},
    },
    {  // level 6
        .first_line = 353,
        .label = "Level 6",
        .name = "CYCLOTRON",
        .maze_color = 44,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 6,
        .bomb_row = 10, .bomb_col = 20,
        .bomb_color = 8,
        .enemy_glyph = 15, .enemy_color = 53,
        .enemy1_row = 0, .enemy1_col = 0,
        .enemy2_row = 0, .enemy2_col = 0,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = -1, .double_step_hard = -1,
        .time_s = 30,
        .hard_time_s = 0,
        .horizontal_note = "d",
        .vertical_note = "c",
        .items = {{{21, 1, 178, 9}}},
        .item_count = 1,
        .items_after_clock = false,
        .bomb_after_time_limit = true,
        .start_draw = {{StartDraw::hero}},
        .start_draw_count = 1,
        .rows = {{
        maze_row("█                             █"),
        maze_row("█ ███████████████████████████ █"),
        maze_row("█ █                         █ █"),
        maze_row("█ █                         █ █"),
        maze_row("█ █  █████████████████████  █ █"),
        maze_row("█ █  █                   █  █ █"),
        maze_row("█ █  █                   █  █ █"),
        maze_row("█ █  █  ███████████████  █  █ █"),
        maze_row("█ █  █  █             █  █  █ █"),
        maze_row("█ █  █  █             █  █  █ █"),
        maze_row("█ █  █  ████████████  █  █  █ █"),
        maze_row("█ █  █                █  █  █ █"),
        maze_row("█ █  █                █  █  █ █"),
        maze_row("█ █  ██████████████████  █  █ █"),
        maze_row("█ █                      █  █ █"),
        maze_row("█ █                      █  █ █"),
        maze_row("█ ████████████████████████  █ █"),
        maze_row("█                           █ █"),
        maze_row("█                           █ █"),
        maze_row("█████████████████████████████ █"),
        maze_row("█   ▒                         █"),
        }},
    },
    {  // level 7
        .first_line = 302,
        .label = "Level 7",
        .name = "D-TEMPLE",
        .maze_color = 5,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 6,
        .bomb_row = 2, .bomb_col = 4,
        .bomb_color = 8,
        .enemy_glyph = 4, .enemy_color = 120,
        .enemy1_row = 8, .enemy1_col = 16,
        .enemy2_row = 2, .enemy2_col = 10,
        .period_normal = 5, .period_hard = 4,
        .double_step_normal = 0, .double_step_hard = 0,
        .time_s = 60,
        .hard_time_s = 45,
        .horizontal_note = "d",
        .vertical_note = "c",
        .items = {{{2, 2, 42, 12}, {4, 16, 219, 12}}},
        .item_count = 2,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::hero}},
        .start_draw_count = 1,
        .rows = {{
        maze_row("█ █                         █ █"),
        maze_row("█ █████████████ █████████████ █"),
        maze_row("█             ███             █"),
        maze_row("█                             █"),
        maze_row("█ ▓████████ ▓██ ███ ▓████████ █"),
        maze_row("█           ███ ▓██           █"),
        maze_row("█ █ █ █ █   ███ ███   ▓ █ █ █ █"),
        maze_row("█                             █"),
        maze_row("█ █ █ █ ▓   ███ ███   █ █ █ █ █"),
        maze_row("█           ███ ███           █"),
        maze_row("█ █ █ █ █   ███ ███   █ █ █ █ █"),
        maze_row("█ ████████████▓ ███████████████"),
        maze_row("█                             █"),
        maze_row("█ ███ ███ ███ ███ ███ █▓█ ███ █"),
        maze_row("█ ██▓ ███ ███ ███ ███ ███ ███ █"),
        maze_row("█                             █"),
        maze_row("█ ███ ██▓ █▓▓ ███ ▓██ ███ ███ █"),
        maze_row("█ ▓██ ███ ███ ███ ███ ███ ███ █"),
        maze_row("█                             █"),
        maze_row("█ ███ ███ ███ ███ ███ ███ █▓█ █"),
        maze_row("█ ███ ███ ███ ███ ███ ███ ███ █"),
        }},
    },
    {  // level 8
        .first_line = 250,
        .label = "Level 8",
        .name = "FOGGIE",
        .maze_color = 80,
        .border_top = 177,
        .border_bottom = 177,
        .hero_row = 22, .hero_col = 6,
        .bomb_row = 2, .bomb_col = 16,
        .bomb_color = 8,
        .enemy_glyph = 176, .enemy_color = 84,
        .enemy1_row = 2, .enemy1_col = 2,
        .enemy2_row = 0, .enemy2_col = 0,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = 0, .double_step_hard = 1,
        .time_s = 60,
        .hard_time_s = 45,
        .horizontal_note = "b",
        .vertical_note = "g",
        .items = {{}},
        .item_count = 0,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::hero, StartDraw::enemy1, StartDraw::bomb}},
        .start_draw_count = 3,
        .rows = {{
        maze_row("═░░░░░░░░░░░░░▒░▒░░░░░░░░░░░░░▒"),
        maze_row("▒░▒░░░░░░░░░░░▒░▒░░░░░░░░░░░▒░▒"),
        maze_row("▒░▒▒▒░░░░░░░░░▒░▒░░░░░░░░░▒▒▒░▒"),
        maze_row("▒░░░░░░▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒░░░░░▒"),
        maze_row("▒░░░░░░▓░░░░░░░░░░░░░░░░▓░░░░░▒"),
        maze_row("▒░░░░░░░░░░░░░░░░░░░░░░░░░░░░░▒"),
        maze_row("▒░░░░░░░▓░░░░▓░░░▓░░░░░▓░░░░░░▒"),
        maze_row("▒░░░▓░░░░░░░░░░░░░░░░░░░░░░▓░░▒"),
        maze_row("▒░░░░░░░░░░░░░░░░░░░░░░░░░░░░░▒"),
        maze_row("▒▒▒░░░▒▒▒░░░▒▒▒░▒▒▒░░░▒▒▒░░░▒▒▒"),
        maze_row("▒░░▒▒▒░░░▒▓▒░░░░░░░▒▓▒░░░▒▒▒░░▒"),
        maze_row("▒░░░░░░░░░░░░░░░░░░░░░░░░░░░░░▒"),
        maze_row("▒░░░░░░░░░░░░░░░░░░░░░░░░░░░░░▒"),
        maze_row("▒░░░░▓░░▓░░░░░▓░░▓░░░░░▓░░▓░░░▒"),
        maze_row("▒░░░░░░░░░░░░░░░░░░░░░░░░░░░░░▒"),
        maze_row("▒░░░░░░░░░░░░░░░░░░░░░░░░░░░░░▒"),
        maze_row("▒░░░░░░▓░░░░░░░░░░░░░░░▓░░░░░░▒"),
        maze_row("▒░░░░░░▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒▒░░░░░░▒"),
        maze_row("▒░▒▒▒░░░░░░░░░░░░░░░░░░░░░▒▒▒░▒"),
        maze_row("▒░▒░░░░░░░░░░░░░░░░░░░░░░░░░▒░▒"),
        maze_row("▒░░░░░░░░░░░░░░░║░░░░░░░░░░░░░▒"),
        }},
    },
    {  // level 9
        .first_line = 198,
        .label = "Level 9",
        .name = "SYSTEM",
        .maze_color = 15,
        .border_top = 220,
        .border_bottom = 223,
        .hero_row = 22, .hero_col = 6,
        .bomb_row = 22, .bomb_col = 21,
        .bomb_color = 40,
        .enemy_glyph = 2, .enemy_color = 8,
        .enemy1_row = 22, .enemy1_col = 22,
        .enemy2_row = 0, .enemy2_col = 0,
        .period_normal = 5, .period_hard = 5,
        .double_step_normal = 1, .double_step_hard = 1,
        .time_s = 60,
        .hard_time_s = 45,
        .horizontal_note = "o2e",
        .vertical_note = "o2c",
        .items = {{}},
        .item_count = 0,
        .items_after_clock = false,
        .bomb_after_time_limit = false,
        .start_draw = {{StartDraw::hero, StartDraw::enemy1, StartDraw::bomb}},
        .start_draw_count = 3,
        .rows = {{
        maze_row("█        ▓      ▓             █"),
        maze_row("█                         ▓   █"),
        maze_row("█           ▓      ▓          █"),
        maze_row("█ ▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄      █"),
        maze_row("█ █SECURITY AREA SYSTEM█    ▓ █"),
        maze_row("█ ▀▀▀▀▀▀▀▀▀█▀▀▀▀▀▀▀▀▀▀▀▀      █"),
        maze_row("█      ▓   ║    ▓             █"),
        maze_row("█          ║                  █"),
        maze_row("█    ▓     ║       ▓          █"),
        maze_row("█          ╚═════╗            █"),
        maze_row("█                ║    ▓       █"),
        maze_row("█                ║            █"),
        maze_row("█ ▓   ▓    ▓   ▓ ║      ▓     █"),
        maze_row("█                ║            █"),
        maze_row("█                ║        ▓   █"),
        maze_row("█   ▓    ▓       ║            █"),
        maze_row("█                ║ ▓          █"),
        maze_row("█                ║   ▓        █"),
        maze_row("█  ▓    ▓        ║       ▓    █"),
        maze_row("█            █████████        █"),
        maze_row("█            █ VIRUS       ▓  █"),
        }},
    },
}};

inline constexpr const LevelLayout& level_layout(int level) { return level_layouts[static_cast<size_t>(level - 1)]; }
