#include "game/chaser.h"

#include "game/basic.h"
#include "game/game_state.h"
#include "game/level_data.h"

namespace {

float& enemy_row(int enemy) { return enemy == 1 ? game.enemy1_row : game.enemy2_row; }
float& enemy_col(int enemy) { return enemy == 1 ? game.enemy1_col : game.enemy2_col; }

struct DirectionRule {
    float row_step, col_step;
    bool vertical;
};

DirectionRule rule_of(Direction direction) {
    switch (direction) {
    case Direction::down: return {1, 0, true};
    case Direction::up: return {-1, 0, true};
    case Direction::right: return {0, 1, false};
    case Direction::left: return {0, -1, false};
    }
    return {0, 0, true};
}

bool hero_lies(int enemy, Direction direction) {
    switch (direction) {
    case Direction::down: return enemy_row(enemy) < game.hero_row;
    case Direction::up: return enemy_row(enemy) > game.hero_row;
    case Direction::right: return enemy_col(enemy) < game.hero_col;
    case Direction::left: return enemy_col(enemy) > game.hero_col;
    }
    return false;
}

constexpr Direction rule_order[] = {Direction::down, Direction::up, Direction::right, Direction::left};

}  // namespace

bool chaser_turn_due() {
    statement(780, [] { game.enemy_tick = game.enemy_tick + 1; });
    if (condition(781, [] { return game.enemy_tick < game.enemy_period; })) return false;
    statement(782, [] { game.enemy_tick = 0; });
    return true;
}

bool chaser_rule(int line, int enemy, Direction direction, float free_code, const char* tune_prefix, float erase_code,
                 float erase_color) {
    const DirectionRule rule = rule_of(direction);
    float& row = enemy_row(enemy);
    float& col = enemy_col(enemy);
    if (!condition(line, [&] { return hero_lies(enemy, direction) && screen_char(row + rule.row_step, col + rule.col_step) == free_code; }))
        return false;
    statement(line, [&] { locate(row, col); });
    statement(line, [&] { color(erase_color); });
    statement(line, [&] { print({chr(erase_code)}); });
    statement(line + 1, [&] { row = row + rule.row_step; });
    statement(line + 1, [&] { col = col + rule.col_step; });
    statement(line + 2, [&] { locate(row, col); });
    statement(line + 2, [] { color(game.enemy_color); });
    statement(line + 2, [] { print({chr(game.enemy_glyph)}); });
    if (enemy == 1) statement(line + 3, [&] { play(join(text(tune_prefix), rule.vertical ? game.vertical_note : game.horizontal_note)); });
    return true;
}

// Rules 1 to 4 on lines 784-799, rules 5 to 8 on lines 800-815.
void chaser_moves(int enemy) {
    int line = 784;
    for (Direction direction : rule_order) {
        if (chaser_rule(line, enemy, direction, 32, "o1l60", 32, chaser_erase_color) &&
            condition(line + 3, [] { return game.enemy_double_step == 0; }))
            return;
        line += 4;
    }
    for (Direction direction : rule_order) {
        if (chaser_rule(line, enemy, direction, hero_code, "o3l60", 32, chaser_erase_color)) return;
        line += 4;
    }
}

void chaser_turn(bool with_enemy2) {
    if (!chaser_turn_due()) return;
    if (with_enemy2) chaser_moves(2);
    chaser_moves(1);
}
