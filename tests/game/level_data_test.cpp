#include "game/level_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

int count_code(const LevelLayout& layout, uint8_t code) {
    int count = 0;
    for (const MazeRow& row : layout.rows) count += static_cast<int>(std::count(row.begin(), row.end(), code));
    return count;
}

uint8_t maze_cell(const LevelLayout& layout, int screen_row, int col) {
    return layout.rows[static_cast<size_t>(screen_row - 2)][static_cast<size_t>(col - 1)];
}

}  // namespace

TEST(MazeRow, DecodesEveryGlyphOfTheTableToItsCode) {
    constexpr MazeRow row = maze_row("█▓▒░τ║═╚╗▄▀ AZ                 ");
    const uint8_t expected[] = {219, 178, 177, 176, 231, 186, 205, 200, 187, 220, 223, 32, 65, 90};
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(row[i], expected[i]) << "glyph " << i;
    EXPECT_EQ(row[30], 32);
}

TEST(LevelLayouts, NamesLabelsAndSourceLinesFollowTheProgram) {
    const char* names[] = {"D-CASTLE", "SPITE SAK", "LOBOTRON", "GENERATOR", "CHINTOY", "CYCLOTRON", "D-TEMPLE", "FOGGIE", "SYSTEM"};
    const int lines[] = {592, 539, 493, 446, 399, 353, 302, 250, 198};
    for (int level = 1; level <= level_count; ++level) {
        const LevelLayout& layout = level_layout(level);
        EXPECT_STREQ(layout.name, names[level - 1]);
        EXPECT_EQ(std::string(layout.label), "Level " + std::to_string(level));
        EXPECT_EQ(layout.first_line, lines[level - 1]);
        // The status column runs from column 32 to 40.
        EXPECT_LE(std::string(layout.name).size(), 9u);
    }
}

TEST(LevelLayouts, EveryMazeIsWalledOnItsSidesExceptWhereItsPictureSaysOtherwise) {
    // Only level 8 (fog walls of 177 with a 205 corner) and the trap cells of
    // level 3's right side break the plain wall of 219 on the edges.
    for (int level = 1; level <= level_count; ++level) {
        const LevelLayout& layout = level_layout(level);
        for (int row = 2; row <= 22; ++row) {
            uint8_t left = maze_cell(layout, row, 1);
            uint8_t right = maze_cell(layout, row, 31);
            EXPECT_GE(left, 177) << "level " << level << " row " << row;
            EXPECT_GE(right, 177) << "level " << level << " row " << row;
        }
    }
}

TEST(LevelLayouts, HeroAndBombStartOnFreeCellsInsideTheMaze) {
    for (int level = 1; level <= level_count; ++level) {
        const LevelLayout& layout = level_layout(level);
        uint8_t under_hero = maze_cell(layout, layout.hero_row, layout.hero_col);
        EXPECT_TRUE(under_hero == 32 || under_hero == 176) << "level " << level;
        uint8_t under_bomb = maze_cell(layout, layout.bomb_row, layout.bomb_col);
        EXPECT_TRUE(under_bomb == 32 || under_bomb == 176) << "level " << level;
        if (layout.enemy1_row != 0) {
            uint8_t under_enemy = maze_cell(layout, layout.enemy1_row, layout.enemy1_col);
            EXPECT_TRUE(under_enemy == 32 || under_enemy == 176) << "level " << level;
        }
    }
}

TEST(LevelLayouts, MazeCodesAreOnlyThoseOfTheGlyphTable) {
    const std::set<int> allowed = {32, 219, 178, 177, 176, 231, 186, 205, 200, 187, 220, 223};
    for (int level = 1; level <= level_count; ++level)
        for (const MazeRow& row : level_layout(level).rows)
            for (uint8_t code : row)
                if (level != 9 || code < 'A' || code > 'Z') {
                    EXPECT_TRUE(allowed.contains(code)) << "level " << level << " code " << int(code);
                }
}

TEST(LevelLayouts, CountsOfTrapsObstaclesAndLinesMatchTheirPictures) {
    EXPECT_EQ(count_code(level_layout(1), trap_code), 0);
    EXPECT_EQ(count_code(level_layout(2), trap_code), 9);
    EXPECT_EQ(count_code(level_layout(3), trap_code), 32);
    EXPECT_EQ(count_code(level_layout(5), 231), 71);
    EXPECT_EQ(count_code(level_layout(6), 177), 1);
    EXPECT_EQ(count_code(level_layout(7), trap_code), 15);
    EXPECT_EQ(count_code(level_layout(8), 186), 1);
    EXPECT_EQ(maze_cell(level_layout(8), 22, 17), 186);
    EXPECT_EQ(maze_cell(level_layout(8), 2, 1), 205);
    EXPECT_EQ(count_code(level_layout(9), trap_code), 25);
    EXPECT_EQ(maze_cell(level_layout(9), 11, 12), 200);
    EXPECT_EQ(maze_cell(level_layout(9), 11, 18), 187);
}

TEST(LevelLayouts, LevelNineSpellsItsSignsInAscii) {
    const MazeRow& sign = level_layout(9).rows[6 - 2];
    EXPECT_EQ(std::string(sign.begin() + 3, sign.begin() + 23), "SECURITY AREA SYSTEM");
    const MazeRow& virus = level_layout(9).rows[22 - 2];
    EXPECT_EQ(std::string(virus.begin() + 15, virus.begin() + 20), "VIRUS");
}

TEST(LevelLayouts, KeysMatchTheColoursOfTheDoorsTheyOpen) {
    const LevelLayout& one = level_layout(1);
    ASSERT_EQ(one.item_count, 9);
    EXPECT_EQ(std::count_if(one.items.begin(), one.items.begin() + one.item_count, [](const CellItem& i) { return i.code == door_code; }), 6);
    std::set<int> door_colors, key_colors;
    for (int i = 0; i < one.item_count; ++i) (one.items[i].code == door_code ? door_colors : key_colors).insert(one.items[i].color);
    EXPECT_EQ(door_colors, key_colors);
    const LevelLayout& two = level_layout(2);
    ASSERT_EQ(two.item_count, 7);
    EXPECT_EQ(two.items[4].code, pound_key_code);
    EXPECT_TRUE(level_layout(4).items_after_clock);
    EXPECT_EQ(level_layout(4).item_count, 4);
    EXPECT_TRUE(level_layout(6).bomb_after_time_limit);
}

TEST(LevelLayouts, DifficultyTablesGiveHardValuesOnlyWhereTheyDiffer) {
    const int hard_times[] = {0, 0, 31, 0, 70, 0, 45, 45, 45};
    const int periods_hard[] = {5, 4, 5, 5, 5, 5, 4, 5, 5};
    const int doubles_normal[] = {0, 0, -1, 1, -1, -1, 0, 0, 1};
    const int doubles_hard[] = {1, 1, -1, 1, -1, -1, 0, 1, 1};
    for (int level = 1; level <= level_count; ++level) {
        const LevelLayout& layout = level_layout(level);
        EXPECT_EQ(layout.hard_time_s, hard_times[level - 1]) << level;
        EXPECT_EQ(layout.period_normal, 5) << level;
        EXPECT_EQ(layout.period_hard, periods_hard[level - 1]) << level;
        EXPECT_EQ(layout.double_step_normal, doubles_normal[level - 1]) << level;
        EXPECT_EQ(layout.double_step_hard, doubles_hard[level - 1]) << level;
    }
}
