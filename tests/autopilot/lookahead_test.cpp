// The look-ahead on drawn boards: it must never call a way safe that a
// chaser can cut in some pace, and it must find the ways the levels need
// (luring the guard, catching the fog enemy, passing the generator).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "autopilot/lookahead.h"
#include "boards.h"

namespace {

bool beside_code(const Board& board, Cell cell, uint8_t code) {
    for (Move move : all_moves)
        if (board.at(step(cell, move)) == code) return true;
    return false;
}

}  // namespace

// A hero at the end of a blind corridor with the chaser between him and the
// key has no way out: no goal is offered, and the holding way is short.
TEST(Lookahead, CorneredHeroIsOfferedNoWayOut) {
    LevelLook look = level_look(1, false);
    Board board = drawn({"##########",
                         "#H  E   *#",
                         "##########"},
                        look);
    Sighting seen = look_at(board, look);
    LookaheadLimits limits;
    limits.rates = {3, 4, 5};
    Lookahead ahead = look_ahead(board, seen, look, limits);
    EXPECT_FALSE(ahead.found);
    EXPECT_LT(ahead.survived, 10);
}

// The guard of the last level leaves the bomb only for a hero to its right:
// from the level's start the way to the bomb is found, every cell of it
// clear of the traps, and it ends beside the bomb.
TEST(Lookahead, LastLevelGuardIsDrawnAwayFromTheBomb) {
    for (bool hard : {false, true}) {
        SCOPED_TRACE(hard ? "hard" : "easy");
        LevelLook look = level_look(9, hard);
        Board board = start_board(9);
        Sighting seen = look_at(board, look);
        ASSERT_EQ(seen.chasers.size(), 1u);
        LookaheadLimits limits;
        limits.rates = {look.period - 1, look.period};
        limits.max_nodes = 200000;
        limits.max_depth = 150;  // from the far left of the level
        Lookahead ahead = look_ahead(board, seen, look, limits);
        ASSERT_TRUE(ahead.found) << ahead.nodes << " states, held out " << ahead.survived << " moves";
        EXPECT_EQ(ahead.aim, Aim::bomb);
        ASSERT_FALSE(ahead.hero_path.empty());
        for (Cell cell : ahead.hero_path) EXPECT_FALSE(beside_code(board, cell, trap_code)) << cell.row << "," << cell.col;
        EXPECT_EQ(distance(ahead.hero_path.back(), seen.bombs.front()), 1);
        EXPECT_EQ(ahead.expected.size(), ahead.moves.size() + 1);
    }
}

// Level 8: an enemy two cells from the double line with the hero beyond
// it is caught at its next turns; the look-ahead sees the capture coming
// and waits for it rather than walking off.
TEST(Lookahead, FogEnemyBesideTheDoubleLineIsCaught) {
    LevelLook look = level_look(8, false);
    std::vector<std::string> rows = room(':');
    rows[1][15] = 'B';  // bomb at 2,16 behind walls
    rows[1][14] = rows[1][16] = rows[2][14] = rows[2][16] = rows[3][15] = '#';
    rows[21][16] = '|';  // the double line at 22,17
    rows[21][14] = 'E';  // enemy at 22,15
    rows[21][20] = 'H';  // hero at 22,21
    Board board = drawn(rows, look);
    Sighting seen = look_at(board, look);
    ASSERT_EQ(seen.chasers.size(), 1u);
    LookaheadLimits limits;
    limits.rates = {4, 5};
    Lookahead ahead = look_ahead(board, seen, look, limits);
    ASSERT_TRUE(ahead.found);
    EXPECT_EQ(ahead.aim, Aim::capture);
    for (Cell cell : ahead.hero_path) EXPECT_GT(cell.col, 17) << "the hero stays beyond the double line";
}

// Level 7: while the patroller's direction is not known the hero keeps off
// its row; once it is seen walking away, the way along the row is taken.
TEST(Lookahead, PatrollerRowIsEnteredOnlyBehindIt) {
    LevelLook look = level_look(7, false);
    Board board = drawn({"###############################",
                         "#  B                  P       #",
                         "#########   ###################",
                         "#########   ###################",
                         "#########  H###################",
                         "###############################"},
                        look);
    Sighting seen = look_at(board, look);
    ASSERT_TRUE(seen.patroller_seen);
    LookaheadLimits limits;
    limits.rates = {4, 5};
    limits.patroller_direction = 0;
    Lookahead unknown = look_ahead(board, seen, look, limits);
    EXPECT_FALSE(unknown.found);
    for (Cell cell : unknown.hero_path) EXPECT_NE(cell.row, 2);
    limits.patroller_direction = 1;
    Lookahead behind = look_ahead(board, seen, look, limits);
    ASSERT_TRUE(behind.found);
    EXPECT_EQ(behind.hero_path.back(), (Cell{2, 5}));
}

// Level 4: the only cells beside the bomb are reached past the generator;
// the way is taken only while the generator is known to be walls.
TEST(Lookahead, GeneratorIsPassedOnlyInAWallPhase) {
    LevelLook look = level_look(4, false);
    Board board = generator_board({11, 13});  // the hero waits west of the generator
    Sighting seen = look_at(board, look);
    ASSERT_TRUE(seen.hero_seen);
    ASSERT_EQ(seen.bombs.size(), 1u);
    LookaheadLimits limits;
    limits.generator_change_min = 1;  // walls that may end at the next turn
    EXPECT_FALSE(look_ahead(board, seen, look, limits).found);
    limits.generator_change_min = limits.generator_change_max = 3;
    Lookahead open = look_ahead(board, seen, look, limits);
    ASSERT_TRUE(open.found);
    EXPECT_LE(open.moves.size(), 10u);
}
