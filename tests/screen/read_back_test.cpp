#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "runtime/screen/fonts.h"
#include "runtime/screen/read_back.h"
#include "runtime/screen/text_output.h"
#include "screen/screen_fixture.h"

namespace {

class ReadBack : public ScreenTest {
protected:
    static void put(int row, int col, uint8_t code, int fg, int bg = 0) {
        locate_statement(row, col, 0, 0, 0, 3);
        color_statement(fg, bg, 0, 3);
        print_bytes(&code, 1, 0);
    }
    static uint32_t at(int row, int col) { return character_at(row, col, 0, 0); }
    static uint32_t color_at(int row, int col) { return character_at(row, col, 1, 1); }
};

TEST_F(ReadBack, EveryNonBlankGlyphReadsBackAsItselfInModesThirteenAndTwelve) {
    std::mt19937 random(7);
    for (int mode : {13, 12}) {
        screen(mode);
        int columns = mode == 13 ? 40 : 80, max_color = mode == 13 ? 255 : 15;
        for (int code = 0; code < 256; ++code) {
            if (code == 0 || code == 32 || code == 255 || code == 7 || code == 9 || code == 10 || code == 11 ||
                code == 12 || code == 13 || (code >= 28 && code <= 31))
                continue;  // blanks, and control codes that act instead of drawing (drawn below)
            int row = 1 + code / columns % 20, col = 1 + code % columns;
            int fg = 1 + static_cast<int>(random() % max_color);
            put(row, col, static_cast<uint8_t>(code), fg);
            ASSERT_EQ(at(row, col), uint32_t(code)) << "mode " << mode << " colour " << fg;
            ASSERT_EQ(color_at(row, col), uint32_t(fg)) << "mode " << mode << " code " << code;
        }
        text_output_state.control_chars_as_glyphs = 1;
        for (int code : {7, 9, 10, 11, 12, 13, 28, 29, 30, 31}) {
            put(22, 3, static_cast<uint8_t>(code), 5);
            EXPECT_EQ(at(22, 3), uint32_t(code)) << mode;
        }
        text_output_state.control_chars_as_glyphs = 0;
    }
}

TEST_F(ReadBack, BlankCellsReadAsSpaceWithColourOne) {
    screen(13);
    for (uint8_t code : {uint8_t(32), uint8_t(0), uint8_t(255)}) {
        put(3, 3, code, 44);
        EXPECT_EQ(at(3, 3), 32u);
        EXPECT_EQ(color_at(3, 3), 1u);
    }
    put(3, 3, 'A', 0);
    EXPECT_EQ(at(3, 3), 32u) << "printed in colour 0";
}

TEST_F(ReadBack, FullBlockGivesItsColour) {
    screen(13);
    put(5, 7, 219, 44);
    EXPECT_EQ(at(5, 7), 219u);
    EXPECT_EQ(color_at(5, 7), 44u);
    put(6, 7, 'A', 15, 1);
    EXPECT_EQ(at(6, 7), 219u) << "both colours non-zero cover every pixel";
}

TEST_F(ReadBack, InverseGlyphPairs) {
    screen(13);
    const std::pair<int, uint32_t> pairs[] = {{7, 8},     {8, 7},     {9, 10},    {10, 9},   {220, 223},
                                              {223, 220}, {221, 222}, {222, 221}, {32, 219}, {219, 32}};
    text_output_state.control_chars_as_glyphs = 1;
    for (auto [printed, read] : pairs) {
        put(4, 4, static_cast<uint8_t>(printed), 0, 3);
        EXPECT_EQ(at(4, 4), read) << printed;
    }
    text_output_state.control_chars_as_glyphs = 0;
    put(4, 4, 'A', 0, 3);
    EXPECT_EQ(at(4, 4), 32u);
    EXPECT_EQ(color_at(4, 4), 0u) << "no glyph matches";
}

TEST_F(ReadBack, FirstNonZeroPixelGivesTheColourAndOverdrawnCellsAreSpaces) {
    screen(13);
    put(2, 2, 'A', 9);
    out().pixels[8 * 320 + 8 + 2] = 4;  // the first set pixel of A's top row (30: ..##....)
    EXPECT_EQ(color_at(2, 2), 4u);
    EXPECT_EQ(at(2, 2), uint32_t('A')) << "only set or clear counts";
    out().pixels[15 * 320 + 8] = 6;  // A's bottom row is clear
    EXPECT_EQ(at(2, 2), 32u) << "the mixture is no glyph";
    EXPECT_EQ(color_at(2, 2), 0u);
}

TEST_F(ReadBack, OutOfRangeCellsRaiseErrorFive) {
    screen(13);
    for (auto [row, col] : {std::pair{0, 1}, {26, 1}, {1, 41}, {1, 0}}) {
        EXPECT_EQ(at(row, col), 0u);
        EXPECT_EQ(error(), 5) << row << "," << col;
        clear_error();
    }
    screen(12);
    for (auto [row, col] : {std::pair{31, 1}, {1, 81}}) {
        at(row, col);
        EXPECT_EQ(error(), 5);
        clear_error();
    }
    EXPECT_EQ(at(30, 80), 32u);
    EXPECT_EQ(error(), 0);
    out().font = 17;
    at(1, 1);
    EXPECT_EQ(error(), 5) << "doubled fonts cannot be read back";
}

TEST_F(ReadBack, FontFourteenReadsBack) {
    screen(9);
    put(25, 80, 235, 3);
    EXPECT_EQ(at(25, 80), 235u);
}

TEST_F(ReadBack, TextSurfaceGivesCharacterAndAttribute) {
    put(2, 3, 'Q', 17, 2);
    EXPECT_EQ(at(2, 3), uint32_t('Q'));
    EXPECT_EQ(color_at(2, 3), 161u);
    at(26, 1);
    EXPECT_EQ(error(), 5);
}

TEST_F(ReadBack, TheReadImageIsExaminedNotTheWriteImage) {
    screen(13);
    put(1, 1, 'R', 4);
    set_screen_mode(0, 0, 1, 0, 0, 12);  // active page 1, visual page 0
    EXPECT_EQ(at(1, 1), 32u);
    put(1, 1, 'S', 4);
    EXPECT_EQ(at(1, 1), uint32_t('S'));
    images.read_image = images.page_table[0];
    EXPECT_EQ(at(1, 1), uint32_t('R'));
}

TEST_F(ReadBack, QuickLookupAgreesWithThePlainComparisonOnEveryKindOfCell) {
    std::mt19937 random(11);
    text_output_state.control_chars_as_glyphs = 1;  // every byte a glyph, the bell too
    for (int mode : {13, 12, 9}) {
        screen(mode);
        ScreenImage& m = out();
        for (int trial = 0; trial < 3000; ++trial) {
            int kind = trial % 3;
            if (kind == 0) {
                // random bytes (also beyond the colour mask, as a POKE may leave them)
                for (int i = 0; i < m.width * 16 * 2; ++i) m.pixels[i] = static_cast<uint8_t>(random() % 4 ? 0 : random());
            } else {
                put(1 + static_cast<int>(random() % 2), 1 + static_cast<int>(random() % 4),
                    static_cast<uint8_t>(random()), static_cast<int>(random() % 16), kind == 2 ? 0 : random() % 2);
            }
            for (int row = 1; row <= 2; ++row)
                for (int col = 1; col <= 4; ++col)
                    for (int flag = 0; flag < 2; ++flag)
                        ASSERT_EQ(character_at(row, col, flag, 1), character_at_by_comparison(row, col, flag, 1))
                            << "mode " << mode << " trial " << trial;
        }
    }
    text_output_state.control_chars_as_glyphs = 0;
}

TEST_F(ReadBack, ReadPixelMasksAndStaysInsideTheImage) {
    screen(12);
    out().pixels[5] = 0xF3;
    EXPECT_EQ(read_pixel(5, 0), 3u);
    EXPECT_EQ(read_pixel(-1, 0), 0u);
    EXPECT_EQ(read_pixel(640, 0), 0u);
}

}  // namespace
