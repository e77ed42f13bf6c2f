#include "game/mechanics.h"

#include "game/basic.h"
#include "game/chaser.h"
#include "game/game_state.h"
#include "game/level_data.h"

namespace {

struct Cell {
    float row, col;
};

// LOCATE row, col; COLOR fg; PRINT CHR$(code)
void draw_char(int line, float row, float col, float fg, float code) {
    statement(line, [&] { locate(row, col); });
    statement(line, [&] { color(fg); });
    statement(line, [&] { print({chr(code)}); });
}

void draw_bomb(int line, float fg) { draw_char(line, game.bomb_row, game.bomb_col, fg, bomb_code); }

void print_score(int line) {
    statement(line, [] { locate(15, 32); });
    statement(line, [] { color(2); });
    statement(line, [] { print({number_text(game.score)}); });
}

bool hero_on(float row, float col) { return game.hero_row == row && game.hero_col == col; }

// Level 4 -------------------------------------------------------------------

struct CornerKey {
    Cell cell;
    float GameState::*flag;
};

constexpr CornerKey corner_keys[] = {
    {{2, 2}, &GameState::key1_taken},
    {{22, 30}, &GameState::key2_taken},
    {{2, 30}, &GameState::key3_taken},
    {{22, 2}, &GameState::key4_taken},
};

float keys_taken_sum() { return game.key1_taken + game.key2_taken + game.key3_taken + game.key4_taken; }

void generator_turn() {
    if (condition(677, [] { return (game.phase_counter == generator_turns_normal && game.hard_mode == 0) ||
                                     (game.phase_counter == generator_turns_hard && game.hard_mode == 1); })) {
        statement(677, [] { game.phase_counter = 0; });
        statement(677, [] { game.generator_state = -game.generator_state; });
    }
    statement(678, [] { game.phase_counter = game.phase_counter + 1; });
    if (condition(679, [] { return game.generator_state == 1; }))
        for (const MazeCell& cell : generator_cells) draw_char(679, cell.row, cell.col, 53, trap_code);
    if (condition(679, [] { return game.generator_state == -1; }))
        for (const MazeCell& cell : generator_cells) draw_char(679, cell.row, cell.col, 9, wall_code);
}

// Level 5 -------------------------------------------------------------------

// An obstacle below the drop and a blank on that side.
bool drop_turns_aside(float side) {
    return screen_char(game.enemy1_row + 1, game.enemy1_col) == obstacle_code &&
           screen_char(game.enemy1_row, game.enemy1_col + side) == blank_code;
}

// Level 8 -------------------------------------------------------------------

constexpr Direction directions[] = {Direction::down, Direction::up, Direction::right, Direction::left};

Cell neighbour_of_enemy1(Direction direction) {
    switch (direction) {
    case Direction::down: return {game.enemy1_row + 1, game.enemy1_col};
    case Direction::up: return {game.enemy1_row - 1, game.enemy1_col};
    case Direction::right: return {game.enemy1_row, game.enemy1_col + 1};
    case Direction::left: return {game.enemy1_row, game.enemy1_col - 1};
    }
    return {game.enemy1_row, game.enemy1_col};
}

bool hero_lies_from_enemy1(Direction direction) {
    switch (direction) {
    case Direction::down: return game.enemy1_row < game.hero_row;
    case Direction::up: return game.enemy1_row > game.hero_row;
    case Direction::right: return game.enemy1_col < game.hero_col;
    case Direction::left: return game.enemy1_col > game.hero_col;
    }
    return false;
}

// The double line between the enemy and the hero sends the enemy back to
// 2,2, where it shows the colour it had; from then on it is colour 44.
void capture_rule(int line, Direction direction) {
    if (!condition(line, [&] {
            Cell next = neighbour_of_enemy1(direction);
            return hero_lies_from_enemy1(direction) && screen_char(next.row, next.col) == double_line_code;
        }))
        return;
    draw_char(line, game.enemy1_row, game.enemy1_col, fog_color, fog_code);
    statement(line, [] { game.enemy1_row = 2; });
    statement(line, [] { game.enemy1_col = 2; });
    draw_char(line, game.enemy1_row, game.enemy1_col, game.enemy_color, game.enemy_glyph);
    statement(line, [] { game.enemy_color = captured_color; });
}

// Rules that walk into free_code: the turn ends after a move unless the
// chasers take double steps. True when the turn has ended.
bool fog_walk_rules(int line, float free_code) {
    for (Direction direction : directions) {
        if (chaser_rule(line, 1, direction, free_code, "o1l60", fog_code, fog_color) &&
            condition(line + 3, [] { return game.enemy_double_step == 0; }))
            return true;
        line += 4;
    }
    return false;
}

}  // namespace

void generator_keys_and_bomb() {
    int line = 670;
    for (const CornerKey& key : corner_keys) {
        if (condition(line, [&] { return hero_on(key.cell.row, key.cell.col) && game.*key.flag == 0; })) {
            statement(line, [] { play("o0l60affd"); });
            statement(line, [&] { game.*key.flag = 1; });
        }
        ++line;
    }
    if (condition(674, [] { return keys_taken_sum() == 4; })) {
        draw_bomb(674, 8);
        statement(675, [] { play("o2l60bcbcb"); });
        statement(675, [] { game.key1_taken = 55; });
    }
    if (condition(676, [] { return keys_taken_sum() == 58; })) draw_bomb(676, 8);
}

void generator_chaser_turn() {
    if (!chaser_turn_due()) return;
    generator_turn();
    chaser_moves(2);
    chaser_moves(1);
}

void falling_drop() {
    // RND is never seeded, so the drops turn the same way in every run.
    statement(680, [] { game.drop_random = rnd(); });
    if (condition(681, [] { return game.enemy1_row > 21; })) {
        // The drop that reached row 22 stays there as a "." to be collected.
        statement(681, [] { game.enemy1_row = 2; });
        statement(681, [] { game.enemy1_col = game.hero_col; });
        statement(682, [] { play("o3l60ad"); });
    }
    statement(683, [] { locate(game.enemy1_row, game.enemy1_col); });
    statement(683, [] { print({text(" ")}); });
    if (condition(684, [] { return screen_char(game.enemy1_row + 1, game.enemy1_col) != obstacle_code; }))
        statement(684, [] { game.enemy1_row = game.enemy1_row + 1; });
    if (condition(685, [] { return drop_turns_aside(1) && game.drop_random > 0.5f; }))
        statement(685, [] { game.enemy1_col = game.enemy1_col + 1; });
    if (condition(686, [] { return drop_turns_aside(-1) && game.drop_random <= 0.5f; }))
        statement(686, [] { game.enemy1_col = game.enemy1_col - 1; });
    statement(687, [] { color(drop_color); });
    statement(687, [] { locate(game.enemy1_row, game.enemy1_col); });
    statement(687, [] { print({text(".")}); });
    int line = 688;
    for (float side : {-1.0f, 1.0f}) {
        if (condition(line, [&] { return game.hero_row > 21 && screen_char(game.hero_row, game.hero_col + side) == drop_code; })) {
            statement(line, [] { game.drops_caught = game.drops_caught + 1; });
            statement(line + 1, [&] { locate(game.hero_row, game.hero_col + side); });
            statement(line + 1, [] { print({text(" ")}); });
            statement(line + 2, [] { play("o2l60bcfg"); });
            statement(line + 2, [] { game.score = game.score + 10; });
        }
        line += 3;
    }
    if (condition(694, [] { return game.drops_caught == 40; })) {
        draw_bomb(694, 7);
        statement(695, [] { game.drops_caught = 41; });
        statement(695, [] { play("O2l60gddfg"); });
    }
    if (condition(696, [] { return game.drops_caught >= 40; })) draw_bomb(696, 7);
    print_score(697);
}

void wall_crawler() {
    statement(700, [] { game.enemy_tick = game.enemy_tick + 1; });
    // The period shrinks by 0.01 per step; with the step pause, steps take a
    // tick each and it gives 0.0025 back.
    statement(701, [] { game.crawler_period = game.crawler_period - 0.01f; });
    if (condition(701, [] { return game.step_pause == 1; })) statement(701, [] { game.crawler_period = game.crawler_period + 0.0025f; });
    if (condition(702, [] { return game.enemy_tick < game.crawler_period; })) return;
    statement(703, [] { game.enemy_tick = 0; });
    // Right, left, down, up: each wall next to it in turn is eaten, and every
    // cell it passes stays a trap.
    static constexpr Cell steps[] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    int line = 704;
    for (const Cell& step : steps) {
        draw_char(line, game.crawler_row, game.crawler_col, 9, trap_code);
        if (condition(line, [&] { return screen_char(game.crawler_row + step.row, game.crawler_col + step.col) == wall_code; })) {
            statement(line, [&] { game.crawler_row = game.crawler_row + step.row; });
            statement(line, [&] { game.crawler_col = game.crawler_col + step.col; });
        }
        ++line;
    }
    draw_char(708, game.crawler_row, game.crawler_col, 9, trap_code);
    statement(709, [] { game.score = game.score + 1; });
    print_score(709);
}

void temple_key_and_bomb() {
    if (condition(710, [] { return hero_on(2, 2) && game.key1_taken == 0; })) {
        draw_char(710, 4, 16, 12, 223);
        statement(711, [] { play("o0l60addp10p60"); });
        statement(712, [] { locate(4, 16); });
        statement(712, [] { print({text(" ")}); });
        statement(713, [] { play("o0l60addp10p60"); });
        statement(713, [] { game.key1_taken = 1; });
    }
    draw_bomb(714, 8);
}

void temple_patroller() {
    // It looks at nothing on its way: whatever it leaves is printed blank.
    statement(715, [] { locate(game.enemy2_row, game.enemy2_col); });
    statement(715, [] { color(patroller_color); });
    statement(715, [] { print({text(" ")}); });
    if (condition(716, [] { return game.enemy2_col < patroller_turn_before_col || game.enemy2_col > patroller_turn_after_col; }))
        statement(716, [] { game.phase_counter = -game.phase_counter; });
    statement(717, [] { game.enemy2_col = game.enemy2_col + game.phase_counter; });
    draw_char(718, game.enemy2_row, game.enemy2_col, patroller_color, patroller_code);
}

void fog_reward() {
    if (!condition(724, [] { return game.key1_taken == 0 && game.enemy_color == captured_color; })) return;
    draw_char(724, game.bomb_row + 1, game.bomb_col - 1, fog_color, fog_code);
    draw_char(725, game.bomb_row + 1, game.bomb_col + 1, fog_color, fog_code);
    statement(726, [] { play("o2l60dcfdg"); });
    statement(726, [] { game.key1_taken = 1; });
}

void fog_chaser_turn() {
    if (!chaser_turn_due()) return;
    // Rules 1-4: the four capture tests all run and play nothing.
    int line = 728;
    for (Direction direction : directions) capture_rule(line++, direction);
    // Rules 5-12: through blanks, then through fog.
    if (fog_walk_rules(732, blank_code)) return;
    if (fog_walk_rules(748, fog_code)) return;
    // Rules 13-16: onto the hero, which always ends the turn.
    line = 764;
    for (Direction direction : directions) {
        if (chaser_rule(line, 1, direction, hero_code, "o3l60", fog_code, fog_color)) return;
        line += 4;
    }
}
