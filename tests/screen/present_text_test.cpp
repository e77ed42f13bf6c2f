#include "runtime/screen/present_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A glyph set of 8 x 8 glyphs in which glyph c sets pixel (x, y) when bit x of
// c + y is set, so that every cell's picture tells which glyph was drawn.
std::vector<uint8_t> test_glyphs() {
    std::vector<uint8_t> glyphs(256 * 64);
    for (int c = 0; c < 256; ++c)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) glyphs[c * 64 + y * 8 + x] = (((c + y) >> x) & 1) ? 255 : 0;
    return glyphs;
}

struct TextScreen {
    int32_t columns, rows;
    std::vector<uint8_t> cells;
    uint32_t palette[256];
    std::vector<uint8_t> glyph_set = test_glyphs();
    std::vector<uint32_t> frame;
    TextFrameState state;

    TextScreen(int32_t c, int32_t r) : columns(c), rows(r), cells(static_cast<size_t>(c) * r * 2), frame(static_cast<size_t>(c) * 8 * r * 8, 1) {
        for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x10101);
        for (size_t i = 0; i < cells.size(); i += 2) {
            cells[i] = ' ';
            cells[i + 1] = 7;
        }
    }
    void put(int32_t col, int32_t row, uint8_t c, uint8_t a) {
        cells[(row * columns + col) * 2] = c;
        cells[(row * columns + col) * 2 + 1] = a;
    }
    TextView view() { return {cells.data(), columns, rows, palette, 1, 1, 0, false, 0, 0}; }
    TextGlyphs glyphs() { return {glyph_set.data(), 64, 8, false}; }
    FrameTarget target() { return {frame.data(), columns * 8, rows * 8, columns * 8}; }
    int32_t draw(const TextView& v, bool full, int32_t counter) { return draw_text_frame(state, v, glyphs(), full, counter, target(), 0, 0, 1); }
    uint32_t pixel(int32_t x, int32_t y) { return frame[static_cast<size_t>(y) * columns * 8 + x]; }

    // The colours the cell at (col, row) should show for character c.
    bool cell_shows(int32_t col, int32_t row, uint8_t c, uint32_t fg, uint32_t bg) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                uint32_t expected = glyph_set[c * 64 + y * 8 + x] ? fg : bg;
                if (pixel(col * 8 + x, row * 8 + y) != expected) return false;
            }
        return true;
    }
};

}  // namespace

TEST(TextFrame, FullFrameDrawsEveryCellInItsColours) {
    TextScreen screen(4, 3);
    screen.put(1, 2, 'A', 0x1E);  // yellow on blue
    EXPECT_EQ(screen.draw(screen.view(), true, 0), 12);
    EXPECT_TRUE(screen.cell_shows(1, 2, 'A', screen.palette[14], screen.palette[1]));
    EXPECT_TRUE(screen.cell_shows(0, 0, ' ', screen.palette[7], screen.palette[0]));
}

TEST(TextFrame, UnchangedCellsAreNotDrawnAgain) {
    TextScreen screen(4, 3);
    screen.draw(screen.view(), true, 0);
    EXPECT_EQ(screen.draw(screen.view(), false, 1), 0);
    screen.put(3, 1, 'Z', 0x07);
    EXPECT_EQ(screen.draw(screen.view(), false, 2), 1);
    EXPECT_TRUE(screen.cell_shows(3, 1, 'Z', screen.palette[7], screen.palette[0]));
}

TEST(TextFrame, PaletteChangeRedrawsEverything) {
    TextScreen screen(4, 3);
    screen.draw(screen.view(), true, 0);
    screen.palette[7] = 0xFF123456;
    EXPECT_EQ(screen.draw(screen.view(), false, 1), 12);
    EXPECT_TRUE(screen.cell_shows(0, 0, ' ', 0xFF123456, screen.palette[0]));
}

TEST(TextFrame, BlinkingCellHidesItsForegroundEverySixteenFrames) {
    TextScreen screen(2, 1);
    screen.put(1, 0, 'B', 0x80 | 0x20 | 0x0F);  // blinking white on green
    screen.draw(screen.view(), true, 0);
    EXPECT_TRUE(screen.cell_shows(1, 0, 'B', screen.palette[15], screen.palette[2]));
    EXPECT_EQ(screen.draw(screen.view(), false, 3), 0);
    EXPECT_EQ(screen.draw(screen.view(), false, 8), 1);  // bit 3 turned: only the blinking cell
    EXPECT_TRUE(screen.cell_shows(1, 0, 'B', screen.palette[2], screen.palette[2]));
    EXPECT_EQ(screen.draw(screen.view(), false, 16), 1);
    EXPECT_TRUE(screen.cell_shows(1, 0, 'B', screen.palette[15], screen.palette[2]));
}

TEST(TextFrame, CursorBlinksInItsCellAndFollowsAMove) {
    TextScreen screen(4, 2);
    TextView view = screen.view();
    view.cursor_visible = true;
    view.cursor_start_line = 6;
    view.cursor_stop_line = 7;
    view.cursor_col = 2;
    view.cursor_row = 1;
    screen.draw(view, true, 0);  // cursor phase 0: hidden
    EXPECT_TRUE(screen.cell_shows(1, 0, ' ', screen.palette[7], screen.palette[0]));
    EXPECT_EQ(screen.draw(view, false, 4), 1);  // phase 1: drawn
    EXPECT_EQ(screen.pixel(8, 6), screen.palette[7]);
    EXPECT_EQ(screen.pixel(15, 7), screen.palette[7]);
    EXPECT_EQ(screen.pixel(9, 5), screen.palette[0]);  // glyph 32, row 5: bit 1 clear
    view.cursor_col = 4;
    view.cursor_row = 2;
    EXPECT_EQ(screen.draw(view, false, 5), 2);  // the cell left and the cell entered
    EXPECT_EQ(screen.pixel(8, 6), screen.palette[0]);
    EXPECT_EQ(screen.pixel(24, 8 + 6), screen.palette[7]);
}

TEST(TextFrame, WrapPendingShowsTheCursorAtTheNextRowsStart) {
    TextScreen screen(4, 2);
    TextView view = screen.view();
    view.cursor_visible = true;
    view.cursor_start_line = 0;
    view.cursor_stop_line = 7;
    view.cursor_col = 4;
    view.cursor_row = 1;
    view.wrap_pending = 2;
    screen.draw(view, true, 4);
    EXPECT_EQ(screen.pixel(0, 8), screen.palette[7]);
    EXPECT_EQ(screen.pixel(31, 0), screen.palette[0]);
}

TEST(TextFrame, CursorOutsideTheGridAndUnknownFontsDrawNothingOutside) {
    TextScreen screen(4, 2);
    TextView view = screen.view();
    view.cursor_visible = true;
    view.cursor_col = 99;
    view.cursor_row = -3;
    TextGlyphs none{nullptr, 0, 8, false};
    std::vector<uint32_t> small(16 * 8, 5);
    FrameTarget cut{small.data(), 16, 8, 16};
    EXPECT_EQ(draw_text_frame(screen.state, view, none, true, 4, cut, 0, 0, 1), 8);
    EXPECT_EQ(small[0], screen.palette[0]);  // background only
}

TEST(TextFrame, DoubledFontCoversSixteenPixelsAndRepeatDoubles) {
    TextScreen screen(2, 1);
    screen.put(0, 0, 0x0F, 0x07);
    std::vector<uint32_t> frame(64 * 16, 0);
    FrameTarget target{frame.data(), 64, 16, 64};
    TextGlyphs doubled{screen.glyph_set.data(), 64, 8, true};
    draw_text_frame(screen.state, screen.view(), doubled, true, 0, target, 0, 0, 2);
    // glyph 15, row 0: bits 0-3 set; doubled wide then repeated 2 x 2
    for (int x = 0; x < 16; ++x) EXPECT_EQ(frame[x], screen.palette[7]) << x;
    EXPECT_EQ(frame[16], screen.palette[0]);
    EXPECT_EQ(frame[64 + 15], screen.palette[7]);
    EXPECT_EQ(frame[64 * 2 + 0], screen.palette[0]);  // row 1 of glyph 15 is 16: only bit 4
    EXPECT_EQ(frame[64 * 2 + 16], screen.palette[7]);
}
