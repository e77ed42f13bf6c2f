#include "game/level_setup.h"

#include "game/basic.h"
#include "game/game_state.h"
#include "game/level_data.h"

namespace {

void draw_items(int line, const LevelLayout& layout) {
    for (int i = 0; i < layout.item_count; ++i) {
        const CellItem& item = layout.items[static_cast<size_t>(i)];
        statement(line, [&] { locate(item.row, item.col); });
        statement(line, [&] { color(item.color); });
        statement(line, [&] { print({chr(item.code)}); });
    }
}

void draw_bomb(int line, float bomb_color) {
    statement(line, [] { locate(game.bomb_row, game.bomb_col); });
    statement(line, [&] { color(bomb_color); });
    statement(line, [] { print({chr(bomb_code)}); });
}

}  // namespace

// Every level's set-up is the same sequence of statements over its own
// table; its source lines start at the level's first line.
Screen start_level() {
    const LevelLayout& layout = level_layout(static_cast<int>(game.level));
    const int line = layout.first_line;
    statement(line, [] { cls(); });
    statement(line + 1, [] { game.enemy1_row = 0; });
    statement(line + 1, [] { game.enemy1_col = 0; });
    statement(line + 1, [] { game.enemy2_row = 0; });
    statement(line + 1, [] { game.enemy2_col = 0; });
    statement(line + 2, [&] { color(layout.maze_color); });
    statement(line + 3, [&] { print({string_of(maze_width, layout.border_top)}); });
    for (int row = 0; row < maze_inner_rows; ++row) {
        const MazeRow& codes = layout.rows[static_cast<size_t>(row)];
        statement(line + 4 + row, [&] { print({text_bytes(codes.data(), maze_width)}); });
    }
    statement(line + 25, [&] { print({string_of(maze_width, layout.border_bottom)}); });
    statement(line + 26, [] { locate(10, 32); });
    statement(line + 26, [] { color(40); });
    statement(line + 26, [&] { print({text(layout.label)}); });
    statement(line + 26, [] { locate(11, 32); });
    statement(line + 26, [] { color(12); });
    statement(line + 26, [&] { print({text(layout.name)}); });
    statement(line + 27, [] { locate(14, 32); });
    statement(line + 27, [] { color(40); });
    statement(line + 27, [] { print({text("SCORE")}); });
    statement(line + 27, [] { locate(15, 32); });
    statement(line + 27, [] { color(2); });
    statement(line + 27, [] { print({number_text(game.score)}); });
    if (!layout.items_after_clock) draw_items(line + 28, layout);

    statement(line + 29, [&] { game.hero_row = layout.hero_row; });
    statement(line + 29, [&] { game.hero_col = layout.hero_col; });
    statement(line + 29, [&] { game.bomb_row = layout.bomb_row; });
    statement(line + 29, [&] { game.bomb_col = layout.bomb_col; });
    statement(line + 29, [&] { game.enemy_glyph = layout.enemy_glyph; });
    statement(line + 29, [&] { game.enemy_color = layout.enemy_color; });
    statement(line + 30, [&] { game.enemy1_row = layout.enemy1_row; });
    statement(line + 30, [&] { game.enemy1_col = layout.enemy1_col; });
    statement(line + 30, [&] { game.enemy2_row = layout.enemy2_row; });
    statement(line + 30, [&] { game.enemy2_col = layout.enemy2_col; });
    statement(line + 31, [&] { game.enemy_period = layout.period_normal; });
    if (condition(line + 31, [] { return game.hard_mode == 1; })) statement(line + 31, [&] { game.enemy_period = layout.period_hard; });
    // Levels without chasers leave the double step as it was.
    if (layout.double_step_normal >= 0) {
        statement(line + 32, [&] { game.enemy_double_step = layout.double_step_normal; });
        if (condition(line + 32, [] { return game.hard_mode == 1; }))
            statement(line + 32, [&] { game.enemy_double_step = layout.double_step_hard; });
    }
    statement(line + 33, [&] { game.time_limit = static_cast<float>(layout.time_s) + game.easy_bonus_seconds; });
    if (layout.hard_time_s != 0) {
        if (condition(line + 33, [] { return game.hard_mode == 1; })) statement(line + 33, [&] { game.time_limit = layout.hard_time_s; });
    }
    if (layout.bomb_after_time_limit) draw_bomb(line + 34, layout.bomb_color);
    const int level = static_cast<int>(game.level);
    statement(line + 35, [&] { game.enemy_tick = level <= 5 ? 1.0f : level == 6 ? -6.0f : 0.0f; });
    if (level >= 4) {
        statement(line + 35, [&] { game.phase_counter = level <= 6 ? 0.0f : 1.0f; });
        statement(line + 35, [] { game.generator_state = -1; });
    }
    if (level >= 5) statement(line + 35, [] { game.drops_caught = 0; });
    if (level >= 6) statement(line + 35, [] { game.crawler_period = 5; });
    if (level == 6) {
        statement(line + 35, [] { game.crawler_row = 21; });
        statement(line + 35, [] { game.crawler_col = 1; });
    }
    statement(line + 36, [] { game.key1_taken = 0; });
    statement(line + 36, [] { game.key2_taken = 0; });
    statement(line + 36, [] { game.key3_taken = 0; });
    statement(line + 36, [] { game.key4_taken = 0; });
    statement(line + 37, [&] { let_text(game.horizontal_note, text(layout.horizontal_note)); });
    statement(line + 37, [&] { let_text(game.vertical_note, text(layout.vertical_note)); });
    if (condition(line + 38, [] { return game.enemy_sound == 0; })) {
        statement(line + 38, [] { let_text(game.horizontal_note, text("")); });
        statement(line + 38, [] { let_text(game.vertical_note, text("")); });
    }
    statement(line + 39, [] { game.level_start_time = static_cast<float>(timer()); });
    if (layout.items_after_clock) draw_items(line + 40, layout);
    for (int i = 0; i < layout.start_draw_count; ++i) {
        switch (layout.start_draw[static_cast<size_t>(i)]) {
        case StartDraw::bomb:
            draw_bomb(line + 41 + i, layout.bomb_color);
            break;
        case StartDraw::hero:
            statement(line + 41 + i, [] { locate(game.hero_row, game.hero_col); });
            statement(line + 41 + i, [] { color(66); });
            statement(line + 41 + i, [] { print({chr(hero_code)}); });
            break;
        case StartDraw::enemy1:
            statement(line + 41 + i, [] { locate(game.enemy1_row, game.enemy1_col); });
            statement(line + 41 + i, [] { color(game.enemy_color); });
            statement(line + 41 + i, [] { print({chr(game.enemy_glyph)}); });
            break;
        }
    }
    return Screen::play;
}
