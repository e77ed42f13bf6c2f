// The mechanisms of single levels, on the real screen of a running runtime:
// each case draws its level with the real set-up, puts the hero where the
// case needs him and runs the level's work step by step.
#include "game/mechanics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game_child.h"
#include "game/level_child.h"
#include "game/level_data.h"
#include "game/level_mechanics.h"
#include "game/level_setup.h"
#include "game/play_loop.h"
#include "game/screens.h"

namespace {

ChildOptions long_child() {
    ChildOptions options;
    options.timeout_ms = 60000;
    return options;
}

void report_cell(const std::string& name, float row, float col) { report_value(name, char_at(row, col)); }

// Level 1 and 2 -------------------------------------------------------------

void key_cases() {
    start_up();
    begin_level(1);
    place_hero(2, 2);
    level_own_work();
    report_value("l1k1.flag", game.key1_taken);
    report_cell("l1k1.door_21_17", 21, 17);
    report_cell("l1k1.door_15_30", 15, 30);
    report_cell("l1k1.door_16_26", 16, 26);
    report_cell("l1k1.door_2_26", 2, 26);  // another key's door stays
    // Standing on the key again opens nothing more: the door put back stays.
    put_char(21, 17, door_code, 2);
    level_own_work();
    report_cell("l1k1.again", 21, 17);
    place_hero(9, 28);
    level_own_work();
    report_cell("l1k3.door_19_6", 19, 6);
    report_cell("l1k3.door_19_2", 19, 2);
    place_hero(21, 28);
    level_own_work();
    report_cell("l1k2.door_2_26", 2, 26);
    report_value("l1.flags", game.key1_taken + game.key2_taken + game.key3_taken);

    begin_level(2);
    place_hero(2, 30);
    level_own_work();
    report_cell("l2k1.door_20_30", 20, 30);
    place_hero(21, 30);
    level_own_work();
    report_cell("l2k2.door_2_3", 2, 3);
    report_cell("l2k2.door_3_2", 3, 2);
    report_cell("l2k2.door_19_2", 19, 2);
    place_hero(2, 2);
    level_own_work();
    report_cell("l2k3.door_19_2", 19, 2);
    child_report("done");
    system_exit();
}

}  // namespace

TEST(KeyChecks, EachKeyOpensItsOwnDoorsOnce) {
    ChildResult result = run_runtime_child(key_cases, long_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "l1k1.flag"), 1);
    EXPECT_EQ(reported_value(result, "l1k1.door_21_17"), 32);
    EXPECT_EQ(reported_value(result, "l1k1.door_15_30"), 32);
    EXPECT_EQ(reported_value(result, "l1k1.door_16_26"), 32);
    EXPECT_EQ(reported_value(result, "l1k1.door_2_26"), door_code);
    EXPECT_EQ(reported_value(result, "l1k1.again"), door_code);
    EXPECT_EQ(reported_value(result, "l1k3.door_19_6"), 32);
    EXPECT_EQ(reported_value(result, "l1k3.door_19_2"), 32);
    EXPECT_EQ(reported_value(result, "l1k2.door_2_26"), 32);
    EXPECT_EQ(reported_value(result, "l1.flags"), 3);
    EXPECT_EQ(reported_value(result, "l2k1.door_20_30"), 32);
    EXPECT_EQ(reported_value(result, "l2k2.door_2_3"), 32);
    EXPECT_EQ(reported_value(result, "l2k2.door_3_2"), 32);
    EXPECT_EQ(reported_value(result, "l2k2.door_19_2"), door_code);
    EXPECT_EQ(reported_value(result, "l2k3.door_19_2"), 32);
}

// Level 4 ---------------------------------------------------------------------

namespace {

// The generator's cell 10,15 on each of the first turns the chasers take:
// W for a wall, T for a trap.
std::string generator_turns(int turns) {
    std::string seen;
    while (static_cast<int>(seen.size()) < turns) {
        generator_chaser_turn();
        if (game.enemy_tick == 0) {
            float code = char_at(10, 15);
            seen += code == wall_code ? 'W' : code == trap_code ? 'T' : '?';
            // Every generator cell shows the same.
            for (auto [row, col] : {std::pair{10, 18}, {12, 15}, {12, 18}})
                if (char_at(static_cast<float>(row), static_cast<float>(col)) != code) seen += '!';
        }
    }
    return seen;
}

void generator_cases() {
    start_up();
    begin_level(4);
    report_cell("start.bomb_cell", 10, 16);
    place_hero(2, 2);
    generator_keys_and_bomb();
    place_hero(22, 30);
    generator_keys_and_bomb();
    generator_keys_and_bomb();  // standing on it again takes nothing more
    report_value("two.flags", game.key1_taken + game.key2_taken + game.key3_taken + game.key4_taken);
    report_cell("two.bomb_cell", 10, 16);

    // A life lost: the set-up puts all four keys back and hides the bomb.
    begin_level(4);
    report_value("again.flags", game.key1_taken + game.key2_taken + game.key3_taken + game.key4_taken);
    report_cell("again.key_2_2", 2, 2);
    report_cell("again.key_22_30", 22, 30);
    report_cell("again.key_2_30", 2, 30);
    report_cell("again.key_22_2", 22, 2);
    report_cell("again.bomb_cell", 10, 16);

    place_hero(2, 2);
    generator_keys_and_bomb();
    place_hero(22, 30);
    generator_keys_and_bomb();
    place_hero(2, 30);
    generator_keys_and_bomb();
    report_cell("three.bomb_cell", 10, 16);
    place_hero(22, 2);
    generator_keys_and_bomb();
    report_cell("four.bomb_cell", 10, 16);
    report_value("four.key1", game.key1_taken);
    // Wiped off, the bomb is back at the next step.
    put_char(10, 16, 32);
    generator_keys_and_bomb();
    report_cell("four.redrawn", 10, 16);

    begin_level(4);
    child_report("normal=" + generator_turns(32));
    begin_level(4, 1);
    child_report("hard=" + generator_turns(14));
    child_report("done");
    system_exit();
}

std::string reported_text(const ChildResult& result, const std::string& name) {
    for (const std::string& line : result.reports)
        if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    return "(none)";
}

}  // namespace

TEST(Generator, FourthCornerKeyShowsTheBombAndALifeLostPutsTheKeysBack) {
    ChildResult result = run_runtime_child(generator_cases, long_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "start.bomb_cell"), 32);
    EXPECT_EQ(reported_value(result, "two.flags"), 2);
    EXPECT_EQ(reported_value(result, "two.bomb_cell"), 32);
    EXPECT_EQ(reported_value(result, "again.flags"), 0);
    for (const char* cell : {"again.key_2_2", "again.key_22_30", "again.key_2_30", "again.key_22_2"})
        EXPECT_EQ(reported_value(result, cell), star_key_code) << cell;
    EXPECT_EQ(reported_value(result, "again.bomb_cell"), 32);
    EXPECT_EQ(reported_value(result, "three.bomb_cell"), 32);
    EXPECT_EQ(reported_value(result, "four.bomb_cell"), bomb_code);
    EXPECT_EQ(reported_value(result, "four.key1"), 55);
    EXPECT_EQ(reported_value(result, "four.redrawn"), bomb_code);
    // Walls for ten turns, traps for ten, and so on; on Hard every three.
    EXPECT_EQ(reported_text(result, "normal"), "WWWWWWWWWWTTTTTTTTTTWWWWWWWWWWTT");
    EXPECT_EQ(reported_text(result, "hard"), "WWWTTTWWWTTTWW");
}

// Level 5 ---------------------------------------------------------------------

namespace {

// Every step of the drop from the set-up on, while the hero waits at 20,22
// (off row 22, so that nothing is collected): "row,col,below," before the
// step, "random,row,col,shown;" after it.
void drop_path_case() {
    start_up();
    begin_level(5);
    place_hero(20, 22);
    std::string path;
    for (int step = 0; step < 160; ++step) {
        float below = game.enemy1_row > 0 ? char_at(game.enemy1_row + 1, game.enemy1_col) : 0;
        char entry[96];
        std::snprintf(entry, sizeof entry, "%g,%g,%g,", game.enemy1_row, game.enemy1_col, below);
        falling_drop();
        path += entry;
        char after[64];
        std::snprintf(after, sizeof after, "%.9g,%g,%g,%g;", game.drop_random, game.enemy1_row, game.enemy1_col, char_at(game.enemy1_row, game.enemy1_col));
        path += after;
    }
    child_report("path=" + path);
    report_value("caught", game.drops_caught);
    child_report("done");
    system_exit();
}

struct DropStep {
    double row, col, below, random, new_row, new_col, shown;
};

std::vector<DropStep> parse_path(const std::string& path) {
    std::vector<DropStep> steps;
    size_t at = 0;
    while (at < path.size()) {
        size_t end = path.find(';', at);
        if (end == std::string::npos) break;
        DropStep step{};
        std::sscanf(path.substr(at, end - at).c_str(), "%lf,%lf,%lf,%lf,%lf,%lf,%lf", &step.row, &step.col, &step.below, &step.random,
                    &step.new_row, &step.new_col, &step.shown);
        steps.push_back(step);
        at = end + 1;
    }
    return steps;
}

void drop_contact_cases() {
    start_up();
    // A drop that lands on row 22 beside the hero is collected in that step.
    begin_level(5);
    game.enemy1_row = 21;
    game.enemy1_col = 23;
    falling_drop();
    report_value("beside.caught", game.drops_caught);
    report_value("beside.score", game.score);
    report_cell("beside.cell", 22, 23);
    report_cell("beside.score_cell", 15, 34);

    // The fortieth drop shows the bomb at 2,2; from then on it is drawn on
    // every step.
    game.drops_caught = 39;
    game.enemy1_row = 21;
    game.enemy1_col = 21;
    report_cell("forty.before", 2, 2);
    falling_drop();
    report_value("forty.caught", game.drops_caught);
    report_cell("forty.bomb", 2, 2);
    put_char(2, 2, 32);
    falling_drop();
    report_cell("forty.redrawn", 2, 2);

    // A drop reaching the hero's cell catches him in the same step.
    begin_level(5);
    place_hero(9, 3);
    game.enemy1_row = 8;
    game.enemy1_col = 3;
    game.practice = 0;
    game.time_limit = 90;
    Screen next = play_step();
    report_value("onto.next", static_cast<int>(next));
    report_value("onto.lives", game.lives_left);
    child_report("done");
    system_exit();
}

}  // namespace

TEST(Drop, FallsTurnsAsideAtObstaclesAndRestartsAboveTheHero) {
    ChildResult first = run_runtime_child(drop_path_case, long_child());
    expect_clean_end(first);
    std::string path = reported_text(first, "path");
    std::vector<DropStep> steps = parse_path(path);
    ASSERT_EQ(steps.size(), 160u);
    int restarts = 0, turns_right = 0, turns_left = 0, falls = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        const DropStep& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        EXPECT_EQ(s.shown, '.');
        if (s.row > 21) {
            // Back at the top in the hero's column; the old drop stays on row 22.
            ++restarts;
            EXPECT_EQ(s.new_col, 22);
            EXPECT_LE(s.new_row, 3);
            continue;
        }
        if (s.below != 231) {
            ++falls;
            EXPECT_EQ(s.new_row, s.row + 1);
            // A fall may end above an obstacle and turn aside at once.
            EXPECT_LE(std::abs(s.new_col - s.col), 1);
            continue;
        }
        EXPECT_EQ(s.new_row, s.row);
        if (s.new_col == s.col + 1) {
            ++turns_right;
            EXPECT_GT(s.random, 0.5);
        } else if (s.new_col == s.col - 1) {
            ++turns_left;
            EXPECT_LE(s.random, 0.5);
        } else {
            EXPECT_EQ(s.new_col, s.col) << "a drop moves one cell at most";
        }
    }
    EXPECT_GT(restarts, 2);
    EXPECT_GT(falls, 100);
    EXPECT_GT(turns_right + turns_left, 0);

    // RND is never seeded: a second run takes the very same path.
    ChildResult second = run_runtime_child(drop_path_case, long_child());
    expect_clean_end(second);
    EXPECT_EQ(reported_text(second, "path"), path);
}

TEST(Drop, LandingBesideTheHeroIsCollectedAndTheFortiethShowsTheBomb) {
    ChildResult result = run_runtime_child(drop_contact_cases, long_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "beside.caught"), 1);
    EXPECT_EQ(reported_value(result, "beside.score"), 10);
    EXPECT_EQ(reported_value(result, "beside.cell"), 32);
    EXPECT_EQ(reported_value(result, "beside.score_cell"), '0');  // " 10 " from column 32
    EXPECT_EQ(reported_value(result, "forty.before"), 32);
    EXPECT_EQ(reported_value(result, "forty.caught"), 41);
    EXPECT_EQ(reported_value(result, "forty.bomb"), bomb_code);
    EXPECT_EQ(reported_value(result, "forty.redrawn"), bomb_code);
    EXPECT_EQ(reported_value(result, "onto.next"), static_cast<int>(Screen::level_setup));
    EXPECT_EQ(reported_value(result, "onto.lives"), 4);
}

// Level 6 ---------------------------------------------------------------------

namespace {

// The steps on which the crawler moves (each move scores 1), over the first
// 150 steps.
std::string crawler_moves(float step_pause) {
    begin_level(6);
    game.step_pause = step_pause;
    std::string moves;
    for (int step = 1; step <= 150; ++step) {
        float score_before = game.score;
        wall_crawler();
        if (game.score != score_before) moves += std::to_string(step) + ",";
    }
    return moves;
}

void crawler_cases() {
    start_up();
    begin_level(6);
    for (int step = 1; step <= 11; ++step) wall_crawler();
    report_value("first.row", game.crawler_row);
    report_value("first.col", game.crawler_col);
    report_cell("first.start_cell", 21, 1);
    report_cell("first.new_cell", 21, 2);
    report_cell("first.next_wall", 21, 3);
    report_value("first.score", game.score);
    child_report("no_pause=" + crawler_moves(0));
    child_report("pause=" + crawler_moves(1));
    child_report("done");
    system_exit();
}

std::vector<int> numbers_of(const std::string& list) {
    std::vector<int> numbers;
    size_t at = 0;
    while (at < list.size()) {
        size_t comma = list.find(',', at);
        numbers.push_back(std::stoi(list.substr(at, comma - at)));
        at = comma + 1;
    }
    return numbers;
}

// The gap between the last two moves up to step.
int gap_before(const std::vector<int>& moves, int step) {
    int previous = 0, gap = 0;
    for (int move : moves) {
        if (move > step) break;
        if (previous) gap = move - previous;
        previous = move;
    }
    return gap;
}

}  // namespace

TEST(Crawler, EatsWallsAndSpeedsUpSoonerWithoutTheStepPause) {
    ChildResult result = run_runtime_child(crawler_cases, long_child());
    expect_clean_end(result);
    // First move on the eleventh step: the wall to its right becomes a trap.
    EXPECT_EQ(reported_value(result, "first.row"), 21);
    EXPECT_EQ(reported_value(result, "first.col"), 2);
    EXPECT_EQ(reported_value(result, "first.start_cell"), trap_code);
    EXPECT_EQ(reported_value(result, "first.new_cell"), trap_code);
    EXPECT_EQ(reported_value(result, "first.next_wall"), wall_code);
    EXPECT_EQ(reported_value(result, "first.score"), 1);

    std::vector<int> no_pause = numbers_of(reported_text(result, "no_pause"));
    std::vector<int> pause = numbers_of(reported_text(result, "pause"));
    ASSERT_GE(no_pause.size(), 3u);
    ASSERT_GE(pause.size(), 3u);
    EXPECT_EQ(no_pause[0], 11);
    EXPECT_EQ(pause[0], 11);
    EXPECT_EQ(no_pause[1], 16);
    EXPECT_EQ(pause[1], 16);
    // By step 120 the period has shrunk below 4 without the pause (5 - 1.2)
    // but not with it (5 - 0.9).
    EXPECT_EQ(gap_before(no_pause, 120), 4);
    EXPECT_EQ(gap_before(pause, 120), 5);
    EXPECT_GT(no_pause.size(), pause.size());
}

// Level 7 ---------------------------------------------------------------------

namespace {

void temple_cases() {
    start_up();
    begin_level(7);
    report_cell("block.before", 4, 16);
    report_cell("bomb.before", 2, 4);
    temple_key_and_bomb();
    report_cell("bomb.drawn", 2, 4);
    report_cell("block.closed", 4, 16);
    place_hero(2, 2);
    temple_key_and_bomb();
    report_cell("block.open", 4, 16);
    report_value("block.flag", game.key1_taken);

    // The patroller walks row 2 and turns at columns 5 and 26.
    begin_level(7);
    std::string columns;
    for (int step = 0; step < 50; ++step) {
        float before = game.enemy2_col;
        temple_patroller();
        columns += std::to_string(static_cast<int>(game.enemy2_col)) + ",";
        if (char_at(2, before) != 32 || char_at(game.enemy2_row, game.enemy2_col) != 15) columns += "!";
    }
    child_report("patrol=" + columns);

    // It steps onto a hero who waits in its way: caught.
    begin_level(7);
    place_hero(2, 12);
    game.practice = 0;
    report_value("catch.first", static_cast<int>(play_step()));
    report_value("catch.second", static_cast<int>(play_step()));
    report_value("catch.lives", game.lives_left);
    child_report("done");
    system_exit();
}

}  // namespace

TEST(Temple, KeyOpensTheBlockBombIsRedrawnAndThePatrollerCatches) {
    ChildResult result = run_runtime_child(temple_cases, long_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "block.before"), wall_code);
    EXPECT_EQ(reported_value(result, "bomb.before"), 32);
    EXPECT_EQ(reported_value(result, "bomb.drawn"), bomb_code);
    EXPECT_EQ(reported_value(result, "block.closed"), wall_code);
    EXPECT_EQ(reported_value(result, "block.open"), 32);
    EXPECT_EQ(reported_value(result, "block.flag"), 1);
    std::vector<int> columns = numbers_of(reported_text(result, "patrol"));
    ASSERT_EQ(columns.size(), 50u) << reported_text(result, "patrol");
    std::vector<int> expected;
    for (int col = 11, direction = 1; expected.size() < 50;) {
        expected.push_back(col);
        if (col < 6 || col > 25) direction = -direction;
        col += direction;
    }
    EXPECT_EQ(columns, expected);
    EXPECT_EQ(columns[15], 26);
    EXPECT_EQ(columns[36], 5);
    EXPECT_EQ(reported_value(result, "catch.first"), static_cast<int>(Screen::play));
    EXPECT_EQ(reported_value(result, "catch.second"), static_cast<int>(Screen::level_setup));
    EXPECT_EQ(reported_value(result, "catch.lives"), 4);
}

// Level 8 ---------------------------------------------------------------------

namespace {

// The chaser's turn is due at the next call.
void turn_due() { game.enemy_tick = game.enemy_period - 1; }

void place_enemy1(float row, float col) {
    put_char(game.enemy1_row, game.enemy1_col, 176, 80);
    game.enemy1_row = row;
    game.enemy1_col = col;
    put_char(row, col, game.enemy_glyph, game.enemy_color);
}

void fog_cases() {
    start_up();
    begin_level(8);
    report_value("start.color", game.enemy_color);
    // The enemy beside the double line at 22,17, the hero beyond it. Walls
    // around 2,2 keep it there after the capture.
    place_hero(22, 20);
    place_enemy1(22, 16);
    put_char(3, 2, 177, 80);
    put_char(2, 3, 177, 80);
    turn_due();
    fog_chaser_turn();
    report_value("capture.row", game.enemy1_row);
    report_value("capture.col", game.enemy1_col);
    report_value("capture.color", game.enemy_color);
    report_cell("capture.left_behind", 22, 16);
    report_cell("capture.line", 22, 17);
    report_cell("capture.shown", 2, 2);
    report_cell("reward.before_left", 3, 15);
    report_cell("reward.before_right", 3, 17);
    fog_reward();
    report_cell("reward.left", 3, 15);
    report_cell("reward.right", 3, 17);
    report_value("reward.flag", game.key1_taken);
    put_char(3, 15, 177, 80);
    fog_reward();
    report_cell("reward.once", 3, 15);

    // Walking: a blank first, else fog; fog is left behind.
    begin_level(8);
    place_hero(16, 20);
    place_enemy1(13, 10);
    put_char(14, 10, 32);
    turn_due();
    fog_chaser_turn();
    report_value("walk_blank.row", game.enemy1_row);
    report_value("walk_blank.col", game.enemy1_col);
    report_cell("walk_blank.left_behind", 13, 10);
    turn_due();
    fog_chaser_turn();
    report_value("walk_fog.row", game.enemy1_row);
    report_value("walk_fog.col", game.enemy1_col);
    report_cell("walk_fog.left_behind", 14, 10);
    // Beside the hero it steps onto him.
    begin_level(8);
    place_hero(10, 20);
    place_enemy1(10, 19);
    turn_due();
    fog_chaser_turn();
    report_value("onto.col", game.enemy1_col);
    // Not due: it stays.
    place_enemy1(10, 15);
    game.enemy_tick = 0;
    fog_chaser_turn();
    report_value("idle.col", game.enemy1_col);
    child_report("done");
    system_exit();
}

}  // namespace

TEST(Fog, DoubleLineCapturesTheEnemyAndTheCellsBelowTheBombOpen) {
    ChildResult result = run_runtime_child(fog_cases, long_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "start.color"), 84);
    EXPECT_EQ(reported_value(result, "capture.row"), 2);
    EXPECT_EQ(reported_value(result, "capture.col"), 2);
    EXPECT_EQ(reported_value(result, "capture.color"), 44);
    EXPECT_EQ(reported_value(result, "capture.left_behind"), 176);
    EXPECT_EQ(reported_value(result, "capture.line"), 186);
    EXPECT_EQ(reported_value(result, "capture.shown"), 176);  // the level 8 enemy's glyph
    EXPECT_EQ(reported_value(result, "reward.before_left"), 177);
    EXPECT_EQ(reported_value(result, "reward.before_right"), 177);
    EXPECT_EQ(reported_value(result, "reward.left"), 176);
    EXPECT_EQ(reported_value(result, "reward.right"), 176);
    EXPECT_EQ(reported_value(result, "reward.flag"), 1);
    EXPECT_EQ(reported_value(result, "reward.once"), 177);
    EXPECT_EQ(reported_value(result, "walk_blank.row"), 14);
    EXPECT_EQ(reported_value(result, "walk_blank.col"), 10);
    EXPECT_EQ(reported_value(result, "walk_blank.left_behind"), 176);
    // Down is fog now and the hero lies below: rule 9 before rule 11.
    EXPECT_EQ(reported_value(result, "walk_fog.row"), 15);
    EXPECT_EQ(reported_value(result, "walk_fog.col"), 10);
    EXPECT_EQ(reported_value(result, "walk_fog.left_behind"), 176);
    EXPECT_EQ(reported_value(result, "onto.col"), 20);
    EXPECT_EQ(reported_value(result, "idle.col"), 15);
}
