#include "game/play_loop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/chaser.h"
#include "game/game_child.h"
#include "game/level_data.h"
#include "game/level_mechanics.h"
#include "game/level_setup.h"
#include "game/level_picture.h"
#include "game/screens.h"
#include "runtime/input/key_buffer.h"

namespace {

ChildOptions long_child() {
    ChildOptions options;
    options.timeout_ms = 60000;
    return options;
}

// A board of its own for each case: cleared screen, silent chasers.
void fresh_board(float hero_row, float hero_col) {
    statement(1, [] { cls(); });
    statement(1, [] { let_text(game.horizontal_note, text("")); });
    statement(1, [] { let_text(game.vertical_note, text("")); });
    game.enemy_glyph = 4;
    game.enemy_color = 120;
    game.enemy1_row = game.enemy1_col = game.enemy2_row = game.enemy2_col = 0;
    game.hero_row = hero_row;
    game.hero_col = hero_col;
    put_char(hero_row, hero_col, hero_code, 66);
}

void place_enemy1(float row, float col) {
    game.enemy1_row = row;
    game.enemy1_col = col;
    put_char(row, col, 4, 120);
}

void report_enemy1(const std::string& name) {
    report_value(name + ".row", game.enemy1_row);
    report_value(name + ".col", game.enemy1_col);
}

void chase_once(const std::string& name, float double_step) {
    game.enemy_double_step = double_step;
    chaser_moves(1);
    report_enemy1(name);
}

void chaser_cases() {
    start_up();
    fresh_board(10, 5);
    place_enemy1(5, 5);
    chase_once("down", 0);
    report_value("down.old_cell", char_at(5, 5));
    report_value("down.new_cell", char_at(6, 5));

    fresh_board(5, 5);
    place_enemy1(10, 5);
    chase_once("up", 0);

    fresh_board(5, 10);
    place_enemy1(5, 5);
    chase_once("right", 0);

    fresh_board(5, 5);
    place_enemy1(5, 10);
    chase_once("left", 0);

    // Down comes before right; one cell per turn without the double step.
    fresh_board(10, 10);
    place_enemy1(5, 5);
    chase_once("single", 0);
    fresh_board(10, 10);
    place_enemy1(5, 5);
    chase_once("double", 1);

    // A wall in the only useful direction: the enemy stays.
    fresh_board(10, 5);
    place_enemy1(5, 5);
    put_char(6, 5, wall_code, 6);
    chase_once("blocked", 1);

    // Beside the hero: rules 1-4 see no blank that way, rule 5 steps onto him.
    fresh_board(6, 5);
    place_enemy1(5, 5);
    chase_once("onto_below", 0);
    fresh_board(5, 4);
    place_enemy1(5, 5);
    chase_once("onto_left", 0);

    // Double step: down, right, then onto the hero in one turn.
    fresh_board(6, 7);
    place_enemy1(5, 5);
    chase_once("double_onto", 1);
    fresh_board(6, 7);
    place_enemy1(5, 5);
    chase_once("single_onto", 0);

    // Enemy 2 moves first; both move on the turn that is due.
    fresh_board(10, 10);
    place_enemy1(5, 10);
    game.enemy2_row = 15;
    game.enemy2_col = 10;
    put_char(15, 10, 4, 120);
    game.enemy_double_step = 0;
    game.enemy_period = 5;
    game.enemy_tick = 1;
    int due_on = 0;
    for (int step = 1; step <= 10 && due_on == 0; ++step) {
        chaser_turn(true);
        if (game.enemy1_row != 5) due_on = step;
    }
    report_value("turn.due_on", due_on);
    report_value("turn.enemy2_row", game.enemy2_row);
    report_value("turn.tick", game.enemy_tick);
    child_report("done");
    system_exit();
}

}  // namespace

TEST(Chaser, EachRuleMovesOneCellTowardsTheHeroInItsOrder) {
    ChildResult result = run_runtime_child(chaser_cases);
    expect_clean_end(result);
    auto at = [&](const std::string& name, double row, double col) {
        EXPECT_EQ(reported_value(result, name + ".row"), row) << name;
        EXPECT_EQ(reported_value(result, name + ".col"), col) << name;
    };
    at("down", 6, 5);
    EXPECT_EQ(reported_value(result, "down.old_cell"), 32);
    EXPECT_EQ(reported_value(result, "down.new_cell"), 4);
    at("up", 9, 5);
    at("right", 5, 6);
    at("left", 5, 9);
    at("single", 6, 5);
    at("double", 6, 6);
    at("blocked", 5, 5);
    at("onto_below", 6, 5);
    at("onto_left", 5, 4);
    at("double_onto", 6, 7);
    at("single_onto", 6, 5);
    // enemy_tick starts at 1: the chasers move on the fourth step, then every fifth.
    EXPECT_EQ(reported_value(result, "turn.due_on"), 4);
    EXPECT_EQ(reported_value(result, "turn.enemy2_row"), 14);
    EXPECT_EQ(reported_value(result, "turn.tick"), 0);
}

namespace {

// A level without work of its own (level 3), a fresh clock and three lives.
void contact_board() {
    fresh_board(10, 10);
    game.level = 3;
    game.practice = 1;
    game.step_pause = 0;
    game.lives_setting = 3;
    game.lives_left = 3;
    game.score = 0;
    game.time_limit = 60;
    statement(1, [] { game.level_start_time = static_cast<float>(timer()); });
}

// Types a key into SDL's queue and gives the main loop time to pass it on.
void type_key(SDLKey sym, uint16_t unicode) {
    push_key(sym, unicode);
    // The main loop takes the event into the keyboard ring within a few
    // frames; a loaded machine (a sanitizer build) may need far longer.
    for (int i = 0; i < 1000 && keyboard_buffer_count() == 0; ++i) SDL_Delay(5);
    wait_ticks(3);
}

void contact_cases() {
    start_up();
    // Walking: a wall and a door stop the hero, a free cell takes him, and
    // the step after he arrives beside the bomb neutralises it.
    contact_board();
    put_char(10, 9, wall_code, 6);
    put_char(9, 10, door_code, 2);
    put_char(10, 12, bomb_code, 8);
    game.bomb_row = 10;
    game.bomb_col = 12;
    type_key(SDLK_4, '4');
    report_value("walk_wall.next", static_cast<int>(play_step()));
    report_value("walk_wall.col", game.hero_col);
    type_key(SDLK_UP, 0);
    play_step();
    report_value("walk_door.row", game.hero_row);
    type_key(SDLK_RIGHT, 0);
    play_step();
    report_value("walk_free.col", game.hero_col);
    report_value("walk_free.old_cell", char_at(10, 10));
    report_value("walk_free.new_cell", char_at(10, 11));
    report_value("walk_bomb.next", static_cast<int>(play_step()));
    report_value("walk_bomb.message", char_at(5, 8));

    // An enemy on the hero while the bomb lies beside him: caught first.
    contact_board();
    put_char(9, 10, bomb_code, 8);
    game.enemy1_row = 10;
    game.enemy1_col = 10;
    report_value("enemy_first.next", static_cast<int>(play_step()));
    report_value("enemy_first.lives", game.lives_left);
    report_value("enemy_first.score", game.score);

    // Bomb and trap both beside the hero: the bomb is neutralised.
    contact_board();
    game.score = 0;
    put_char(10, 11, bomb_code, 8);
    put_char(9, 10, trap_code, 9);
    game.bomb_row = 10;
    game.bomb_col = 11;
    report_value("bomb_first.next", static_cast<int>(play_step()));
    report_value("bomb_first.lives", game.lives_left);
    report_value("bomb_first.level", game.level);
    report_value("bomb_first.practice", game.practice);
    report_value("bomb_first.score", game.score);
    report_value("bomb_first.remaining", remaining_seconds());

    // Traps on each side; the one above wins over the one below.
    const struct {
        const char* name;
        float row, col;
    } traps[] = {{"trap_above", 9, 10}, {"trap_below", 11, 10}, {"trap_left", 10, 9}, {"trap_right", 10, 11}};
    for (const auto& trap : traps) {
        contact_board();
        put_char(trap.row, trap.col, trap_code, 9);
        if (trap.row == 9) put_char(11, 10, trap_code, 9);
        report_value(std::string(trap.name) + ".next", static_cast<int>(play_step()));
        report_value(std::string(trap.name) + ".side", game.trap_side);
        report_value(std::string(trap.name) + ".arrow_cell", char_at(10, 10));
    }

    // The bonus factors for every difficulty and number of lives.
    const struct {
        const char* name;
        float hard, bonus;
    } difficulties[] = {{"easy", 0, 30}, {"normal", 0, 0}, {"hard", 1, 0}};
    for (const auto& difficulty : difficulties) {
        for (float lives : {3.0f, 5.0f, 9.0f}) {
            game.hard_mode = difficulty.hard;
            game.easy_bonus_seconds = difficulty.bonus;
            game.lives_setting = lives;
            set_bonus_factors();
            report_value(std::string("bonus.") + difficulty.name + std::to_string(static_cast<int>(lives)), bomb_bonus(12.7));
        }
    }
    report_value("bonus.late", bomb_bonus(-0.5));
    game.hard_mode = 0;
    game.easy_bonus_seconds = 0;

    // A level set up just before midnight keeps its limit after TIMER falls back to 0.
    statement(1, [] { game.level_start_time = static_cast<float>(timer() + 86400 - 5); });
    game.time_limit = 60;
    report_value("midnight.remaining", remaining_seconds());

    // The last life lost hands over to the game-over sequence.
    contact_board();
    game.lives_left = 1;
    game.enemy1_row = 10;
    game.enemy1_col = 10;
    report_value("last_life.next", static_cast<int>(play_step()));

    // Time out: the bomb explodes and a life is lost.
    contact_board();
    game.bomb_row = 5;
    game.bomb_col = 5;
    game.time_limit = 0;
    report_value("time_out.next", static_cast<int>(play_step()));
    report_value("time_out.lives", game.lives_left);
    child_report("done");
    system_exit();
}

}  // namespace

TEST(PlayStep, ContactsAreCheckedEnemyThenBombThenTrap) {
    ChildResult result = run_runtime_child(contact_cases, long_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "walk_wall.next"), static_cast<int>(Screen::play));
    EXPECT_EQ(reported_value(result, "walk_wall.col"), 10);
    EXPECT_EQ(reported_value(result, "walk_door.row"), 10);
    EXPECT_EQ(reported_value(result, "walk_free.col"), 11);
    EXPECT_EQ(reported_value(result, "walk_free.old_cell"), 32);
    EXPECT_EQ(reported_value(result, "walk_free.new_cell"), hero_code);
    EXPECT_EQ(reported_value(result, "walk_bomb.next"), static_cast<int>(Screen::title));
    EXPECT_EQ(reported_value(result, "walk_bomb.message"), 'B');  // "Bomb neutralised"

    EXPECT_EQ(reported_value(result, "enemy_first.next"), static_cast<int>(Screen::level_setup));
    EXPECT_EQ(reported_value(result, "enemy_first.lives"), 2);
    EXPECT_EQ(reported_value(result, "enemy_first.score"), 0);

    // Practice: back to the title with the level counted up; the bonus is
    // INT(remaining) x 10 x (Normal 1 + 1) x (3 lives: 3).
    EXPECT_EQ(reported_value(result, "bomb_first.next"), static_cast<int>(Screen::title));
    EXPECT_EQ(reported_value(result, "bomb_first.lives"), 3);
    EXPECT_EQ(reported_value(result, "bomb_first.level"), 4);
    EXPECT_EQ(reported_value(result, "bomb_first.practice"), 0);
    double remaining = reported_value(result, "bomb_first.remaining");
    double bonus_seconds = reported_value(result, "bomb_first.score") / 60;
    EXPECT_GE(bonus_seconds, std::floor(remaining));
    EXPECT_LE(bonus_seconds, std::floor(remaining) + 1);
    EXPECT_EQ(bonus_seconds, std::floor(bonus_seconds));

    EXPECT_EQ(reported_value(result, "trap_above.side"), 1);
    EXPECT_EQ(reported_value(result, "trap_below.side"), 2);
    EXPECT_EQ(reported_value(result, "trap_left.side"), 4);
    EXPECT_EQ(reported_value(result, "trap_right.side"), 3);
    for (const char* name : {"trap_above", "trap_below", "trap_left", "trap_right"}) {
        EXPECT_EQ(reported_value(result, std::string(name) + ".next"), static_cast<int>(Screen::level_setup)) << name;
        // The last face is drawn in colour 0: the cell reads back as blank.
        EXPECT_EQ(reported_value(result, std::string(name) + ".arrow_cell"), 32) << name;
    }
    // INT(12.7) = 12 seconds x 10 x (difficulty_factor + 1) x lives_factor.
    const double multipliers[3][3] = {{3, 2, 1}, {6, 4, 2}, {9, 6, 3}};
    const char* difficulty_names[] = {"easy", "normal", "hard"};
    const char* lives_names[] = {"3", "5", "9"};
    for (int d = 0; d < 3; ++d)
        for (int l = 0; l < 3; ++l)
            EXPECT_EQ(reported_value(result, std::string("bonus.") + difficulty_names[d] + lives_names[l]), 120 * multipliers[d][l])
                << difficulty_names[d] << " " << lives_names[l];
    // Just after the time has passed the bonus is negative: INT rounds down.
    EXPECT_EQ(reported_value(result, "bonus.late"), -1 * 10 * 3 * 1);  // Hard, 9 lives
    EXPECT_NEAR(reported_value(result, "midnight.remaining"), 55, 0.5);
    EXPECT_EQ(reported_value(result, "last_life.next"), static_cast<int>(Screen::game_over));
    EXPECT_EQ(reported_value(result, "time_out.next"), static_cast<int>(Screen::level_setup));
    EXPECT_EQ(reported_value(result, "time_out.lives"), 2);
}

namespace {

void setup_cases() {
    start_up();
    game.score = 120;
    game.lives_left = 5;
    // Every level under each difficulty: its clock, pace and double step.
    const struct {
        const char* name;
        float hard, bonus;
    } difficulties[] = {{"easy", 0, 30}, {"normal", 0, 0}, {"hard", 1, 0}};
    for (const auto& difficulty : difficulties) {
        game.hard_mode = difficulty.hard;
        game.easy_bonus_seconds = difficulty.bonus;
        for (int level = 1; level <= level_count; ++level) {
            game.enemy_double_step = 7;  // shows where a level leaves it as it was
            game.level = static_cast<float>(level);
            Screen next = start_level();
            std::string prefix = std::string(difficulty.name) + std::to_string(level);
            report_value(prefix + ".next", static_cast<int>(next));
            report_value(prefix + ".time", game.time_limit);
            report_value(prefix + ".period", game.enemy_period);
            report_value(prefix + ".double", game.enemy_double_step);
        }
    }
    // What each level draws, cell by cell, compared with its tables.
    game.hard_mode = 0;
    for (int level = 1; level <= level_count; ++level) {
        game.level = static_cast<float>(level);
        start_level();
        const LevelPicture expected = expected_level_picture(level);
        int differences = 0;
        for (int row = 1; row <= 23; ++row)
            for (int col = 1; col <= maze_width; ++col)
                if (char_at(static_cast<float>(row), static_cast<float>(col)) != expected[row][col]) ++differences;
        report_value("draw" + std::to_string(level) + ".differences", differences);
        report_value("draw" + std::to_string(level) + ".score_cell", char_at(15, 33));
        report_value("draw" + std::to_string(level) + ".name_start", char_at(11, 32));
    }

    // A life lost after a key was taken: the set-up restores key and doors.
    game.level = 1;
    game.lives_setting = 5;
    game.lives_left = 5;
    game.step_pause = 0;
    start_level();
    game.hero_row = 2;
    game.hero_col = 2;
    key_checks();
    report_value("key.taken", game.key1_taken);
    report_value("key.door_open", char_at(21, 17));
    game.enemy1_row = game.hero_row;
    game.enemy1_col = game.hero_col;
    Screen next = play_step();
    report_value("restart.next", static_cast<int>(next));
    start_level();
    report_value("restart.lives", game.lives_left);
    report_value("restart.key_flag", game.key1_taken);
    report_value("restart.door", char_at(21, 17));
    report_value("restart.key_cell", char_at(2, 2));
    report_value("restart.hero_row", game.hero_row);
    report_value("restart.clock_fresh", remaining_seconds() > 59 ? 1 : 0);
    child_report("done");
    system_exit();
}

}  // namespace

const ChildResult& setup_result() {
    static const ChildResult result = run_runtime_child(setup_cases, long_child());
    return result;
}

TEST(LevelSetup, TimeLimitsPacesAndDoubleStepsFollowTheDifficulty) {
    const ChildResult& result = setup_result();
    expect_clean_end(result);
    const int base_times[] = {60, 50, 40, 50, 90, 30, 60, 60, 60};
    const int hard_times[] = {60, 50, 31, 50, 70, 30, 45, 45, 45};
    const int hard_periods[] = {5, 4, 5, 5, 5, 5, 4, 5, 5};
    const int normal_doubles[] = {0, 0, 7, 1, 7, 7, 0, 0, 1};
    const int hard_doubles[] = {1, 1, 7, 1, 7, 7, 0, 1, 1};
    for (int level = 1; level <= level_count; ++level) {
        std::string n = std::to_string(level);
        EXPECT_EQ(reported_value(result, "easy" + n + ".next"), static_cast<int>(Screen::play));
        EXPECT_EQ(reported_value(result, "easy" + n + ".time"), base_times[level - 1] + 30) << level;
        EXPECT_EQ(reported_value(result, "normal" + n + ".time"), base_times[level - 1]) << level;
        EXPECT_EQ(reported_value(result, "hard" + n + ".time"), hard_times[level - 1]) << level;
        EXPECT_EQ(reported_value(result, "easy" + n + ".period"), 5) << level;
        EXPECT_EQ(reported_value(result, "normal" + n + ".period"), 5) << level;
        EXPECT_EQ(reported_value(result, "hard" + n + ".period"), hard_periods[level - 1]) << level;
        EXPECT_EQ(reported_value(result, "easy" + n + ".double"), normal_doubles[level - 1]) << level;
        EXPECT_EQ(reported_value(result, "normal" + n + ".double"), normal_doubles[level - 1]) << level;
        EXPECT_EQ(reported_value(result, "hard" + n + ".double"), hard_doubles[level - 1]) << level;
    }
}

TEST(LevelSetup, DrawsEveryMazeWithItsItemsAndStatus) {
    const ChildResult& result = setup_result();
    expect_clean_end(result);
    for (int level = 1; level <= level_count; ++level) {
        std::string n = std::to_string(level);
        EXPECT_EQ(reported_value(result, "draw" + n + ".differences"), 0) << level;
        EXPECT_EQ(reported_value(result, "draw" + n + ".score_cell"), '1') << level;  // " 120 "
        EXPECT_EQ(reported_value(result, "draw" + n + ".name_start"), level_layout(level).name[0]) << level;
    }
    EXPECT_EQ(reported_value(result, "key.taken"), 1);
    EXPECT_EQ(reported_value(result, "key.door_open"), 32);
    EXPECT_EQ(reported_value(result, "restart.next"), static_cast<int>(Screen::level_setup));
    EXPECT_EQ(reported_value(result, "restart.lives"), 4);
    EXPECT_EQ(reported_value(result, "restart.key_flag"), 0);
    EXPECT_EQ(reported_value(result, "restart.door"), door_code);
    EXPECT_EQ(reported_value(result, "restart.key_cell"), pound_key_code);
    EXPECT_EQ(reported_value(result, "restart.hero_row"), 22);
    EXPECT_EQ(reported_value(result, "restart.clock_fresh"), 1);
}
