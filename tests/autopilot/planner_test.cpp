// The autopilot's judgement on the levels' start pictures and on small
// drawn situations: a wrong rule here loses lives in every run.
#include <gtest/gtest.h>

#include "autopilot/planner.h"
#include "runtime/core/timer.h"
#include "boards.h"

namespace {

// The maze area walled round and empty but for the hero.
Board walled_room_with_hero_at(int hero_row, int hero_col, const LevelLook& look) {
    std::vector<std::string> rows = room(' ');
    rows[static_cast<size_t>(hero_row - 1)][static_cast<size_t>(hero_col - 1)] = 'H';
    return drawn(rows, look);
}

}  // namespace

// Every level's start: the hero and the chaser are told apart, and the
// first decision never steps beside a trap or onto a chaser. Where nothing
// chases him, the hero sets off at once.
TEST(Planner, StartOfEveryLevelSeesTheHeroAndNeverStepsIntoDanger) {
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(level);
        Board board = start_board(level);
        LevelLook look = level_look(level, false);
        Sighting seen = look_at(board, look);
        ASSERT_TRUE(seen.hero_seen);
        EXPECT_EQ(seen.hero, (Cell{level_layout(level).hero_row, level_layout(level).hero_col}));
        const bool chaser_drawn = level == 1 || level == 2 || level == 8 || level == 9;
        EXPECT_EQ(seen.chasers.size(), chaser_drawn ? 1u : 0u);
        PilotMemory memory;
        Decision decision = plan_move(board, seen, look, memory);
        if (decision.move != Move::none) {
            EXPECT_TRUE(safe_cell(board, seen, look, step(seen.hero, decision.move))) << decision.reason;
        }
        if (level == 3 || level == 6) {
            EXPECT_NE(decision.move, Move::none) << decision.reason;
        }
    }
}

// The pieces the levels draw, as the game draws them: which of them the
// autopilot takes for a chaser, on either difficulty.
TEST(Planner, EachLevelsChaserIsToldFromTheOtherPieces) {
    const struct {
        const char* name;
        int level;
        uint8_t code, color;
        int row;
        bool chaser;
    } cases[] = {
        {"level 5: the falling drop", 5, drop_code, drop_color, 10, true},
        {"level 5: a landed drop", 5, drop_code, drop_color, 22, false},
        {"level 5: the dropper", 5, level_layout(5).enemy_glyph, level_layout(5).enemy_color, 2, false},
        {"level 7: the patroller", 7, patroller_code, patroller_color, 2, false},
        {"level 8: the enemy, caught once", 8, fog_code, captured_color, 10, true},
        {"level 8: the fog", 8, fog_code, fog_color, 10, false},
        {"level 3: its enemy's glyph, which it never draws", 3, level_layout(3).enemy_glyph, level_layout(3).enemy_color, 10, false},
    };
    for (const auto& row : cases)
        for (bool hard : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (hard ? ", hard" : ""));
            const LevelLook look = level_look(row.level, hard);
            Board board = walled_room_with_hero_at(20, 20, look);
            put(board, {row.row, 10}, row.code, row.color);
            EXPECT_EQ(look_at(board, look).chasers.size(), row.chaser ? 1u : 0u);
        }
}

// A small walled room: the chaser's greedy rules decide whether it reaches
// the hero, and the survival check must follow them exactly.
TEST(Planner, ChaserRulesStopAtWallsAndCatchAHeroBesideThem) {
    LevelLook look = level_look(1, false);
    // The hero straight above the chaser with a wall between: rules 1 and 2
    // see the wall, rules 3 and 4 see the same column, so it never moves.
    Board board = walled_room_with_hero_at(10, 10, look);
    put(board, {11, 10}, wall_code, 9);
    put(board, {12, 10}, look.chaser_glyph, level_layout(1).enemy_color);
    Sighting seen = look_at(board, look);
    ASSERT_EQ(seen.chasers.size(), 1u);
    EXPECT_TRUE(survives(board, seen, look, {}, 40));
    // One cell to the side and the chaser comes round: right, up, up, onto him.
    EXPECT_FALSE(survives(board, seen, look, {Cell{10, 11}}, 40));

    auto codes = board.code;
    Cell chaser{12, 10};
    EXPECT_FALSE(chaser_turn(codes, chaser, Cell{10, 12}, look));
    EXPECT_EQ(chaser, (Cell{12, 11})) << "a single-step chaser moves one cell, sideways when the wall is above";
    look.double_step = true;
    chaser = Cell{12, 10};
    codes = board.code;
    EXPECT_FALSE(chaser_turn(codes, chaser, Cell{10, 12}, look));
    EXPECT_EQ(chaser, (Cell{12, 11})) << "after the right move the up rule is not tried again in the same turn";
    chaser = Cell{11, 12};
    codes[10][12] = hero_code;  // the hero's cell shows him, so it is not free
    EXPECT_TRUE(chaser_turn(codes, chaser, Cell{10, 12}, look)) << "a chaser beside the hero steps onto him";
}

// Beside the bomb the level is won at the next step; a key typed then would
// stay in the buffer and move the hero at the start of the next level. The
// neutralising shows a "*" where the bomb was, which must not read as a key.
TEST(Planner, NoKeyIsTypedBesideTheBombEvenWhenItShowsAsAStar) {
    LevelLook look = level_look(3, false);
    Board board = walled_room_with_hero_at(10, 10, look);
    board.code[9][10] = bomb_code;
    PilotMemory memory;
    EXPECT_EQ(plan_move(board, look_at(board, look), look, memory).move, Move::none);
    board.code[9][10] = '*';
    Sighting seen = look_at(board, look);
    ASSERT_EQ(seen.keys.size(), 1u);
    EXPECT_EQ(plan_move(board, seen, look, memory).move, Move::none);
}

// Level 4 on Hard: the bomb in its chamber behind the generator, whose cells
// turn from wall to trap every three chaser turns. The hero waits beside the
// chamber's entrance, where no generator cell touches him, and dashes in
// when the walls come; he never parks in the corridor above the chamber.
TEST(Planner, LevelFourWaitsBesideTheEntranceAndDashesWhenTheWallsCome) {
    struct Case {
        const char* name;
        Cell hero;
        bool walls;
        int turns_since_change;  // chaser turns seen since the walls came; -1: traps shown
        Move wanted;             // Move::none: anything but the step beside the generator
        Cell holds_at;           // where his holding way ends; {0, 0}: not checked
    };
    const Case cases[] = {
        {"traps, hero in the corridor above", {8, 16}, false, -1, Move::left, {11, 14}},
        {"traps, hero right above the chamber", {8, 17}, false, -1, Move::left, {11, 14}},
        {"traps, hero beside the entrance", {11, 14}, false, -1, Move::none, {11, 14}},
        {"walls just came, hero beside the entrance", {11, 14}, true, 0, Move::right, {0, 0}},
        {"walls about to end, hero beside the entrance", {11, 14}, true, 2, Move::none, {0, 0}},
    };
    const LevelLook look = level_look(4, true);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        Board board = generator_board(row.hero);
        for (MazeCell g : generator_cells) board.code[g.row][g.col] = row.walls ? wall_code : trap_code;
        for (Cell chaser : {Cell{2, 8}, Cell{22, 24}}) put(board, chaser, look.chaser_glyph, level_layout(4).enemy_color);
        Sighting seen = look_at(board, look);
        ASSERT_EQ(seen.chasers.size(), 2u);
        PilotMemory memory;
        memory.rates = {3, 4, 5};
        memory.clock = 10;
        memory.chaser_turns = 20;
        if (row.walls) {
            // The change was seen as it happened, and the turns since.
            memory.generator_seen = true;
            memory.generator_walls = false;
            memory.chaser_turns = 20 - row.turns_since_change;
            plan_move(board, seen, look, memory);
            memory.plan = {};
            memory.chaser_turns = 20;
            memory.clock = 10 + row.turns_since_change * look.period / ticks_per_second;
        }
        Decision decision = plan_move(board, seen, look, memory);
        if (row.wanted == Move::none) {
            EXPECT_NE(decision.move, Move::right) << decision.reason;
        } else {
            EXPECT_EQ(decision.move, row.wanted) << decision.reason;
        }
        if (row.holds_at.row != 0) {
            ASSERT_FALSE(memory.plan.hero_path.empty());
            EXPECT_LE(distance(memory.plan.hero_path.back(), row.holds_at), 1);
        }
    }
}
