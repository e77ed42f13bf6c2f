#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/strings.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/text_grid.h"
#include "runtime/screen/text_output.h"
#include "screen/screen_fixture.h"

namespace {

class Print : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        screen(13);
    }
    static void print(const std::string& s, bool newline = false) {
        print_bytes(reinterpret_cast<const uint8_t*>(s.data()), static_cast<int32_t>(s.size()), newline);
    }
    static void locate(int row, int col) { locate_statement(row, col, 0, 0, 0, 3); }
    static void color(int fg) { color_statement(fg, 0, 0, 1); }
    static void color(int fg, int bg) { color_statement(fg, bg, 0, 3); }
    // The cell at (row, column) as set/clear bits, one string per pixel row.
    static std::string cell_bits(int row, int col, int glyph_height = 8) {
        std::string s;
        for (int y = 0; y < glyph_height; ++y)
            for (int x = 0; x < 8; ++x) s += pixel((col - 1) * 8 + x, (row - 1) * glyph_height + y) ? '#' : '.';
        return s;
    }
    static std::string glyph_bits(uint32_t font, int code) {
        std::string s;
        const uint8_t* g = glyph_pixels(font, static_cast<uint8_t>(code));
        for (int i = 0; i < builtin_glyph_height(font) * 8; ++i) s += g[i] ? '#' : '.';
        return s;
    }
    static bool cell_is(int row, int col, uint8_t color) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (pixel((col - 1) * 8 + x, (row - 1) * 8 + y) != color) return false;
        return true;
    }
};

TEST_F(Print, GlyphPixelsMatchThePackedRows) {
    const char* rows_of[][2] = {{"\x02", "7e ff db ff c3 e7 ff 7e"}, {"\x08", "ff ff e7 c3 c3 e7 ff ff"},
                                {"A", "30 78 cc cc fc cc cc 00"},    {"\xb0", "22 88 22 88 22 88 22 88"},
                                {"\xb1", "55 aa 55 aa 55 aa 55 aa"}, {"\xb2", "db 77 db ee db 77 db ee"},
                                {"\xdb", "ff ff ff ff ff ff ff ff"}, {"\xeb", "1c 30 18 7c cc cc 78 00"}};
    int col = 1;
    for (auto& [text, rows] : rows_of) {
        locate(3, col);
        print(text);
        std::string got;
        for (int y = 0; y < 8; ++y) {
            int v = 0;
            for (int x = 0; x < 8; ++x) v = v << 1 | (pixel((col - 1) * 8 + x, 16 + y) ? 1 : 0);
            char hex[4];
            std::snprintf(hex, sizeof hex, "%s%02x", y ? " " : "", v);
            got += hex;
        }
        EXPECT_EQ(got, rows) << int(uint8_t(text[0]));
        ++col;
    }
}

TEST_F(Print, ColourFillsTheFullBlockAndBackgroundFillsASpace) {
    color(44);
    locate(5, 7);
    print("\xdb");
    EXPECT_TRUE(cell_is(5, 7, 44));
    color(44, 1);
    print(" ");
    EXPECT_TRUE(cell_is(5, 8, 1));
    EXPECT_EQ(out().cursor_col, 9);
}

TEST_F(Print, DrawModesKeepEitherPartOfTheCell) {
    fill_pixel_box(out(), 0, 0, 8, 8, 9);
    color(44, 1);
    out().text_draw_mode = 1;
    locate(1, 1);
    print("A");
    for (int i = 0; i < 64; ++i) {
        bool set = font8x8[65 * 64 + i] != 0;
        ASSERT_EQ(pixel(i % 8, i / 8), set ? 44 : 9) << i;
    }
    out().text_draw_mode = 2;
    locate(1, 1);
    print("\x08");
    for (int i = 0; i < 64; ++i) {
        bool set = font8x8[8 * 64 + i] != 0, was_a = font8x8[65 * 64 + i] != 0;
        ASSERT_EQ(pixel(i % 8, i / 8), set ? (was_a ? 44 : 9) : 1) << i;
    }
}

TEST_F(Print, ColoursAreStoredThroughTheMask) {
    screen(12);
    out().fg_color = 20;  // as a graphics statement could leave it
    locate_statement(1, 1, 0, 0, 0, 3);
    print("\xdb");
    EXPECT_EQ(pixel(0, 0), 4);
    EXPECT_EQ(pixel(7, 15), 4);
}

TEST_F(Print, ExactFortyCharactersBreaksOnce) {
    locate(3, 1);
    print(std::string(40, 'x'), true);
    EXPECT_EQ(out().cursor_row, 4);
    EXPECT_EQ(out().cursor_col, 1);
    // The statement form: the item, then the closing newline on its own.
    locate(6, 1);
    print(std::string(40, 'x'));
    EXPECT_EQ(out().wrap_pending, 1);
    EXPECT_EQ(out().cursor_col, 40);
    print("", true);
    EXPECT_EQ(out().cursor_row, 7);
    EXPECT_EQ(out().cursor_col, 1);
    EXPECT_EQ(out().wrap_pending, 0);
}

TEST_F(Print, LastColumnWrapsToTheNextRow) {
    locate(10, 40);
    print("AB");
    EXPECT_EQ(cell_bits(10, 40), glyph_bits(8, 'A'));
    EXPECT_EQ(cell_bits(11, 1), glyph_bits(8, 'B'));
    EXPECT_EQ(out().cursor_row, 11);
    EXPECT_EQ(out().cursor_col, 2);
}

TEST_F(Print, PendingWrapWaitsForTheNextOutputAndLocateCancelsIt) {
    locate(10, 40);
    print("A");
    EXPECT_EQ(out().cursor_col, 40);
    EXPECT_EQ(out().wrap_pending, 1);
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(csrlin(), 11);
    print("B");
    EXPECT_EQ(cell_bits(11, 1), glyph_bits(8, 'B'));
    locate(10, 40);
    print("A");
    locate_statement(0, 0, 1, 0, 0, 4);  // LOCATE , , 1 keeps it pending
    EXPECT_EQ(out().wrap_pending, 2);
    locate(5, 5);
    EXPECT_EQ(out().wrap_pending, 0);
    print("C");
    EXPECT_EQ(cell_bits(5, 5), glyph_bits(8, 'C'));
}

TEST_F(Print, BottomRowPrintsAndTheNewlineScrollsOnlyThePrintArea) {
    locate(1, 1);
    print("T");
    locate(2, 1);
    print("U");
    locate(25, 1);
    print("X");
    EXPECT_EQ(cell_bits(25, 1), glyph_bits(8, 'X'));
    print("", true);
    EXPECT_EQ(out().cursor_row, 24);
    EXPECT_EQ(cell_bits(1, 1), glyph_bits(8, 'U')) << "rows 1-24 moved up";
    EXPECT_EQ(cell_bits(25, 1), glyph_bits(8, 'X')) << "row 25 stays";
}

TEST_F(Print, BottomRightWrapScrollsAndContinuesOnTheLastPrintRow) {
    locate(24, 1);
    print("Q");
    locate(25, 40);
    print("AB");
    EXPECT_EQ(cell_bits(25, 40), glyph_bits(8, 'A'));
    EXPECT_EQ(cell_bits(23, 1), glyph_bits(8, 'Q'));
    EXPECT_EQ(cell_bits(24, 1), glyph_bits(8, 'B'));
    EXPECT_EQ(out().cursor_row, 24);
    EXPECT_EQ(out().cursor_col, 2);
}

TEST_F(Print, ScrollingClearsTheNewRowToTheBackgroundAndKeepsRowTwentyFive) {
    locate(25, 1);
    print("Z");
    color(15, 3);
    locate(24, 1);
    print("\xdb\xdb");
    for (int i = 0; i < 8; ++i) {
        locate(24, 1);
        print(" ", true);
    }
    EXPECT_TRUE(cell_is(24, 1, 3));
    EXPECT_TRUE(cell_is(24, 40, 3));
    EXPECT_EQ(cell_bits(25, 1), glyph_bits(8, 'Z'));
    EXPECT_EQ(out().cursor_row, 24);
}

TEST_F(Print, ControlCodesMoveTheCursorInsteadOfDrawing) {
    locate(5, 5);
    print("\x1c\x1c\x1f\x1e\x1e\x1d");
    EXPECT_EQ(out().cursor_row, 4);
    EXPECT_EQ(out().cursor_col, 6);
    EXPECT_TRUE(cell_is(5, 5, 0));
    locate(5, 40);
    print("\x1c");
    EXPECT_EQ(out().cursor_row, 6);
    EXPECT_EQ(out().cursor_col, 1);
    print("\x1d");
    EXPECT_EQ(out().cursor_row, 5);
    EXPECT_EQ(out().cursor_col, 40);
    locate(24, 40);
    print("\x1c\x1f");
    EXPECT_EQ(out().cursor_row, 24) << "no way out of the print area";
    EXPECT_EQ(out().cursor_col, 40);
    locate(1, 1);
    print("\x1d\x1e");
    EXPECT_EQ(out().cursor_row, 1);
    EXPECT_EQ(out().cursor_col, 1);
    locate(25, 1);
    print("\x1d\x1e");
    EXPECT_EQ(out().cursor_row, 25);
    locate(7, 9);
    print("\x0b");
    EXPECT_EQ(out().cursor_row, 1);
    EXPECT_EQ(out().cursor_col, 1);
    locate(7, 9);
    print("a\rb\nc");
    EXPECT_EQ(out().cursor_row, 9);
    EXPECT_EQ(out().cursor_col, 2);
}

TEST_F(Print, TabGoesToTheNextEighthColumn) {
    locate(3, 1);
    print("ab\t");
    EXPECT_EQ(out().cursor_col, 9);
    print("\t");
    EXPECT_EQ(out().cursor_col, 17);
    locate(3, 8);
    print("\t");
    EXPECT_EQ(out().cursor_col, 9) << "a tab in column 8 prints one space";
    locate(4, 33);
    print("\t");
    EXPECT_EQ(out().cursor_col, 40);
    EXPECT_EQ(out().wrap_pending, 1);
}

TEST_F(Print, FormFeedClearsAndGlyphSwitchDrawsControlCodes) {
    color(15, 2);
    locate(9, 9);
    print("\x0c");
    EXPECT_TRUE(cell_is(25, 40, 2));
    EXPECT_EQ(out().cursor_row, 1);
    color(15, 0);
    text_output_state.control_chars_as_glyphs = 1;
    print("\x0c\x1c");
    text_output_state.control_chars_as_glyphs = 0;
    EXPECT_EQ(cell_bits(1, 1), glyph_bits(8, 12));
    EXPECT_EQ(cell_bits(1, 2), glyph_bits(8, 28));
}

TEST_F(Print, FitCheckStartsALongItemOnAFreshLine) {
    locate(3, 30);
    print_fit_check_length(11);
    EXPECT_EQ(out().cursor_row, 3);
    print_fit_check_length(12);
    EXPECT_EQ(out().cursor_row, 4);
    EXPECT_EQ(out().cursor_col, 1);
    print_fit_check_length(100);
    EXPECT_EQ(out().cursor_row, 4) << "column 1 never moves";
}

TEST_F(Print, StringItemsPrintTheirBytesAsGlyphs) {
    strings_start();
    locate(4, 35);
    StringDescriptor* row = repeat_char_string(31, 177);
    print_fit_check(row);
    EXPECT_EQ(out().cursor_row, 5) << "31 glyphs do not fit after column 35";
    print_string(row, 0);
    EXPECT_EQ(cell_bits(5, 31), glyph_bits(8, 177));
    EXPECT_EQ(out().cursor_col, 32);
    print_string(temp_cstring(""), 1);
    EXPECT_EQ(out().cursor_row, 6);
    release_temporaries(1, 0);
}

TEST_F(Print, ZoneTabStopsAtFourteenColumnZones) {
    screen(12);
    locate_statement(2, 3, 0, 0, 0, 3);
    print_zone_tab();
    EXPECT_EQ(out().cursor_col, 15);
    print_zone_tab();
    EXPECT_EQ(out().cursor_col, 29);
    locate_statement(2, 70, 0, 0, 0, 3);
    print_zone_tab();
    EXPECT_EQ(out().cursor_col, 80);
}

TEST_F(Print, FontFourteenDrawsTheMiddleRowsOfTheSixteenRowGlyph) {
    screen(9);
    EXPECT_EQ(out().font, 14u);
    locate_statement(2, 2, 0, 0, 0, 3);
    print("\xeb");
    EXPECT_EQ(cell_bits(2, 2, 14), glyph_bits(14, 235));
}

class Statements : public Print {};

TEST_F(Statements, ColourRangesPerMode) {
    color_statement(255, 255, 0, 3);
    EXPECT_EQ(error(), 0);
    EXPECT_EQ(out().fg_color, 255u);
    color_statement(256, 0, 0, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    color_statement(-1, 0, 0, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    color_statement(0, 0, 1, 7);
    EXPECT_EQ(error(), 5);
    clear_error();
    EXPECT_EQ(out().fg_color, 255u) << "a rejected COLOR changes nothing";
    screen(12);
    color_statement(16, 0, 0, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    color_statement(15, 16, 0, 3);
    EXPECT_EQ(error(), 5);
    clear_error();
    EXPECT_EQ(out().fg_color, 15u);
    color_statement(3, 4, 0, 3);
    EXPECT_EQ(out().bg_color, 4u);
    color_statement(0, 0, 0, 0);
    EXPECT_EQ(out().fg_color, 3u);
}

TEST_F(Statements, ColourOfTheOlderModesChangesThePalette) {
    screen(9);
    color_statement(2, 20, 0, 3);
    EXPECT_EQ(out().fg_color, 2u);
    EXPECT_EQ(out().palette[0], 0xFFAA5500u);
    screen(1);
    color_statement(1, 0, 0, 3);
    EXPECT_EQ(out().palette[0], 0xFF0000AAu);
    EXPECT_EQ(out().palette[1], 0xFF00AA00u);
    screen(0);
    color_statement(30, 12, 5, 7);
    EXPECT_EQ(error(), 0) << "border ignored in text mode";
    EXPECT_EQ(out().fg_color, 30u);
    EXPECT_EQ(out().bg_color, 4u);
}

TEST_F(Statements, LocateRangesInModeThirteen) {
    for (auto [row, col] : {std::pair{26, 1}, {0, 1}, {25, 41}, {1, 0}}) {
        locate(row, col);
        EXPECT_EQ(error(), 5) << row << "," << col;
        clear_error();
    }
    locate_statement(1, 1, 2, 0, 0, 7);
    EXPECT_EQ(error(), 5);
    clear_error();
    locate_statement(1, 1, 1, 32, 0, 15);
    EXPECT_EQ(error(), 5);
    clear_error();
    EXPECT_EQ(out().cursor_row, 1);
    locate(25, 40);
    EXPECT_EQ(error(), 0);
    EXPECT_EQ(out().cursor_row, 25);
    locate_statement(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(out().cursor_row, 12);
    EXPECT_EQ(out().cursor_col, 40);
}

TEST_F(Statements, CursorShapeGoesToEveryPage) {
    screen(0);
    locate_statement(0, 0, 1, 6, 7, 28);
    for (int32_t handle : images.page_table) {
        EXPECT_EQ(image_record(handle)->cursor_visible, 1);
        EXPECT_EQ(image_record(handle)->cursor_start_line, 6);
        EXPECT_EQ(image_record(handle)->cursor_stop_line, 7);
    }
}

TEST_F(Statements, UntouchedStartScreenBecomesEightyByFiftyForALowRow) {
    reset_screen_state();
    screen_start();
    color_statement(14, 1, 0, 3);
    const uint8_t hello[] = {'h', 'i'};
    print_bytes(hello, 2, 0);
    locate(40, 3);
    ASSERT_EQ(error(), 0);
    EXPECT_EQ(out().height, 50);
    EXPECT_EQ(out().font, 8u);
    EXPECT_EQ(out().cursor_row, 40);
    EXPECT_EQ(out().pixels[0], 'h');
    EXPECT_EQ(out().pixels[2], 'i');
    EXPECT_EQ(out().fg_color, 14u);
    EXPECT_EQ(screen_mode_state.screen_untouched, 0);
    locate(51, 1);
    EXPECT_EQ(error(), 5);
}

TEST_F(Statements, TouchedTextScreenRejectsALowRow) {
    screen(0);
    locate(40, 1);
    EXPECT_EQ(error(), 5);
}

TEST_F(Statements, ClsClearsEveryPixelAndHomesTheCursor) {
    std::memset(out().pixels, 77, 64000);
    locate(10, 10);
    out().pen_x = 3;
    cls_statement(0, 0, 0);
    for (int i = 0; i < 64000; ++i) ASSERT_EQ(emulated_memory[mode13_pixels_offset + i], 0) << i;
    EXPECT_EQ(out().cursor_row, 1);
    EXPECT_EQ(out().cursor_col, 1);
    EXPECT_EQ(out().pen_x, 160.0f);
    cls_statement(0, 300, 2);
    EXPECT_EQ(error(), 5);
    clear_error();
    cls_statement(3, 0, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    cls_statement(0, 9, 2);
    EXPECT_EQ(pixel(319, 199), 9);
}

TEST_F(Statements, ClsMethodTwoClearsOnlyThePrintRows) {
    std::memset(out().pixels, 77, 64000);
    cls_statement(2, 0, 1);
    EXPECT_EQ(pixel(0, 191), 0);
    EXPECT_EQ(pixel(0, 192), 77);
}

TEST_F(Statements, TextSurfaceCellsCarryCharacterAndAttribute) {
    screen(0);
    ASSERT_EQ(out().width, 40) << "after a 40-column screen the text screen has 40 columns";
    EXPECT_EQ(out().font, 17u);
    color_statement(17, 2, 0, 3);
    locate(3, 5);
    print("Hi", true);
    const uint8_t* cell = out().pixels + (2 * 40 + 4) * 2;
    EXPECT_EQ(cell[0], 'H');
    EXPECT_EQ(cell[1], 128 + 32 + 1);
    EXPECT_EQ(cell[2], 'i');
    EXPECT_EQ(out().cursor_row, 4);
    locate(24, 1);
    print("S", true);
    EXPECT_EQ(out().pixels[(22 * 40) * 2], 'S') << "the print area scrolled up";
    EXPECT_EQ(out().pixels[(23 * 40) * 2 + 1], 128 + 32 + 1);
    cls_statement(0, 0, 0);
    EXPECT_EQ(out().pixels[(22 * 40) * 2], ' ');
    EXPECT_EQ(out().pixels[(22 * 40) * 2 + 1], 128 + 32 + 1) << "the background colour is the fill";
}

TEST_F(Statements, ViewPrintLimitsTheScrollingRows) {
    locate(1, 1);
    print("K");
    view_print_statement(5, 10, 3);
    EXPECT_EQ(out().cursor_row, 5);
    locate(4, 1);
    EXPECT_EQ(error(), 5);
    clear_error();
    locate(10, 1);
    print("M", true);
    EXPECT_EQ(out().cursor_row, 10);
    EXPECT_EQ(cell_bits(9, 1), glyph_bits(8, 'M'));
    EXPECT_EQ(cell_bits(1, 1), glyph_bits(8, 'K'));
    view_print_statement(5, 26, 3);
    EXPECT_EQ(error(), 5);
    clear_error();
    view_print_statement(0, 0, 0);
    EXPECT_EQ(out().print_bottom_row, 25);
}

TEST_F(Statements, WhatEndsAPendingWrapAndHowCsrlinAndPosSeeIt) {
    // An A in the last column of start_row, the action: CSRLIN and POS tell where a B then goes.
    const struct { void (*action)(); int start_row, csrlin, pos; bool a_kept = true; } cases[] = {
        {[] { print(""); }, 10, 11, 1} /* the new line stays owed */, {[] { print_zone_tab(); }, 10, 11, 1},
        {[] { cls_statement(0, 0, 0); }, 10, 1, 1, false}, {[] { print("\x0c"); }, 10, 1, 1, false},
        {[] { locate_statement(0, 3, 0, 0, 0, 2); }, 10, 10, 3}, {[] { locate_statement(5, 0, 0, 0, 0, 1); }, 10, 5, 40},
        {[] { view_print_statement(5, 20, 3); }, 10, 5, 1}, {[] {}, 24, 24, 1} /* the B's new line scrolls the A up */,
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        SetUp();
        locate(c.start_row, 40);
        print("A");
        c.action();
        EXPECT_EQ(csrlin(), c.csrlin);
        EXPECT_EQ(pos(), c.pos);
        print("B");
        EXPECT_EQ(cell_bits(c.csrlin, c.pos), glyph_bits(8, 'B'));
        std::string a = c.a_kept ? glyph_bits(8, 'A') : std::string(64, '.');
        EXPECT_EQ(cell_bits(c.start_row - (c.start_row == 24), 40), a);
    }
}

TEST_F(Statements, ViewPrintSetsThePrintAreaOrRejectsIt) {
    const struct { int32_t mode, top, bottom, passed, error, area_top, area_bottom; } cases[] = {
        {12, 1, 30, 3, 0, 1, 30}, {12, 0, 0, 0, 0, 1, 30}, {13, 25, 25, 3, 0, 25, 25}, {13, 0, 5, 3, 5, 1, 24},
        {13, 10, 5, 3, 5, 1, 24}, {13, 5, 10, 1, 5, 1, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "SCREEN " << c.mode << ": VIEW PRINT " << c.top << " TO " << c.bottom);
        SetUp();
        screen(c.mode);
        locate(7, 7);
        view_print_statement(c.top, c.bottom, uint32_t(c.passed));
        EXPECT_EQ(error(), c.error);
        clear_error();
        EXPECT_EQ(out().print_top_row, c.area_top);
        EXPECT_EQ(out().print_bottom_row, c.area_bottom);
        EXPECT_EQ(out().cursor_row, c.error ? 7 : c.area_top);
    }
}

TEST_F(Statements, PrintAtPixelDrawsGlyphsAnywhereAndLeavesTheCursor) {
    enum Target { write_image, page_one, no_image, text_screen };
    const struct { int32_t x, y; std::string text; Target target = write_image; int32_t error = 0; } cases[] = {
        {3, 5, "AB"}, {-4, -3, "XY"}, {316, 196, "QR"}, {100, 50, "\x0c\x07\x0d\x1c"}, {INT32_MAX, 0, "A"},
        {INT32_MIN, 0, "A"}, {-3, 196, "Z", page_one}, {8, 8, "Z", no_image, 258}, {8, 8, "Z", text_screen, 5},
    };
    strings_start();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        screen(c.target == text_screen ? 0 : 13);
        int32_t image = c.target == page_one ? page_image(1) : c.target == no_image ? 99 : 0;
        ScreenImage& m = c.target == page_one ? *image_record(image) : out();
        if (!m.text_surface) std::memset(m.pixels, 9, 64000);
        m.fg_color = 44;
        m.bg_color = 1;
        locate(7, 7);
        print("W");
        std::vector<uint8_t> expected(m.pixels, m.pixels + (m.text_surface ? 4000 : 64000));
        for (size_t i = 0; c.error == 0 && i < c.text.size(); ++i)
            for (int p = 0; p < 64; ++p) {  // glyph pixel p of character i; those outside the image are skipped
                int64_t x = int64_t(c.x) + 8 * int64_t(i) + p % 8, y = int64_t(c.y) + p / 8;
                if (x < 0 || x >= 320 || y < 0 || y >= 200) continue;
                expected[y * 320 + x] = font8x8[uint8_t(c.text[i]) * 64 + p] ? 44 : 1;
            }
        print_at_pixel(c.x, c.y, temp_literal(c.text.data(), int32_t(c.text.size())), image, image != 0);
        EXPECT_EQ(error(), c.error);
        clear_error();
        EXPECT_TRUE(expected == std::vector<uint8_t>(m.pixels, m.pixels + expected.size()));
        EXPECT_EQ(out().cursor_row, 7);
        EXPECT_EQ(out().cursor_col, 8);
    }
}

TEST_F(Statements, NothingChangesWhileAnErrorIsPending) {
    control.pending_error = 5;
    locate(3, 3);
    color(4);
    print("X", true);
    cls_statement(0, 4, 2);
    EXPECT_EQ(out().cursor_row, 1);
    EXPECT_EQ(out().fg_color, 15u);
    EXPECT_TRUE(cell_is(1, 1, 0));
}

}  // namespace

// A statement wakes a resting main loop only when it changed what may be
// shown: a menu drawn anew on every pass of its key loop changes nothing.
TEST_F(Print, OnlyAStatementThatChangesThePictureAnnouncesIt) {
    struct Row {
        const char* what;
        int mode;
        void (*before)();
        void (*statement)();
        uint32_t announced;
    };
    const Row rows[] = {
        {"text on a blank screen", 13, [] {}, [] { print("A"); }, 1},
        {"the same text again in place", 13, [] { print("A"); }, [] { locate(1, 1); print("A"); }, 0},
        {"the same text in another colour", 13, [] { print("A"); }, [] { locate(1, 1); color(4); print("A"); }, 1},
        {"a move of the hidden cursor", 13, [] {}, [] { locate(5, 5); }, 0},
        {"a colour for later text", 13, [] {}, [] { color(5); }, 0},
        {"CLS", 13, [] { print("A"); }, [] { cls_statement(0, 0, 0); }, 1},
        {"a new background colour", 1, [] {}, [] { color(1); }, 1},
        {"the same background colour", 1, [] { color(1); }, [] { color(1); }, 0},
        {"text in a text mode", 0, [] {}, [] { print("A"); }, 1},
        {"the shown cursor moved", 0, [] { locate_statement(1, 1, 1, 0, 0, 7); },
         [] { locate_statement(3, 3, 1, 0, 0, 7); }, 1},
    };
    for (const Row& row : rows) {
        screen(row.mode);
        row.before();
        uint32_t before = announced_display_changes();
        row.statement();
        EXPECT_EQ(announced_display_changes() - before, row.announced) << row.what;
        EXPECT_EQ(error(), 0) << row.what;
    }
}
