// The autopilot's judgement on the levels' start pictures and on small
// drawn situations: a wrong rule here loses lives in every run.
#include <gtest/gtest.h>

#include "game/level_picture.h"
#include "planner.h"

namespace {

Board start_board(int level) {
    Board board;
    LevelPicture picture = expected_level_picture(level);
    for (int row = 1; row <= 23; ++row)
        for (int col = 1; col <= maze_width; ++col) board.code[row][col] = picture[row][col];
    const LevelLayout& layout = level_layout(level);
    board.color[layout.hero_row][layout.hero_col] = static_cast<uint8_t>(shown_color(66));
    if (layout.enemy1_row != 0 && picture[layout.enemy1_row][layout.enemy1_col] == layout.enemy_glyph)
        board.color[layout.enemy1_row][layout.enemy1_col] = static_cast<uint8_t>(shown_color(layout.enemy_color));
    return board;
}

}  // namespace

TEST(Planner, FindsTheHeroAndEveryLevelsFirstMoveLeadsSomewhere) {
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE(level);
        Board board = start_board(level);
        LevelLook look = level_look(level, false);
        Sighting seen = look_at(board, look);
        ASSERT_TRUE(seen.hero_seen);
        EXPECT_EQ(seen.hero, (Cell{level_layout(level).hero_row, level_layout(level).hero_col}));
        PilotMemory memory;
        Decision decision = plan_move(board, seen, look, memory);
        if (level == 5) {
            // No drop has fallen yet: the hero waits for one on the bottom row.
            EXPECT_EQ(decision.move, Move::none) << decision.reason;
            continue;
        }
        EXPECT_NE(decision.move, Move::none) << decision.reason;
        EXPECT_TRUE(safe_cell(board, seen, look, step(seen.hero, decision.move)));
    }
}
