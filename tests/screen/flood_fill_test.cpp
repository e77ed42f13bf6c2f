#include <gtest/gtest.h>

#include <cstring>

#include "runtime/screen/flood_fill.h"
#include "runtime/screen/read_back.h"
#include "runtime/screen/text_output.h"
#include "screen/screen_fixture.h"

namespace {

class Paint : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        screen(13);
    }
    static void paint(float x, float y, int fill) { paint_fill(x, y, fill, 0, 0, 2); }
    static int count(uint8_t color) {
        int n = 0;
        for (int i = 0; i < out().width * out().height; ++i) n += out().pixels[i] == color;
        return n;
    }
    static void ring_of_characters(int top, int left, int bottom, int right, int fg) {
        color_statement(fg, 0, 0, 1);
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c)
                if (r == top || r == bottom || c == left || c == right) {
                    uint8_t wall = 219;
                    locate_statement(r, c, 0, 0, 0, 3);
                    print_bytes(&wall, 1, 0);
                }
    }
};

TEST_F(Paint, FillsTheWholeClearedScreenIncludingTheLastTextRow) {
    paint(160, 100, 44);
    EXPECT_EQ(count(44), 64000);
    EXPECT_EQ(out().draw_color, 44u);
    EXPECT_TRUE(visited_map_clear());
    EXPECT_EQ(visited_map_size(), 640u * 480u);
}

TEST_F(Paint, StopsAtAnOutlineOfCharactersAndFloodsOtherColoursInside) {
    ring_of_characters(10, 15, 16, 26, 44);
    color_statement(3, 0, 0, 1);
    locate_statement(13, 20, 0, 0, 0, 3);
    const uint8_t text[] = {'H', 'i'};
    print_bytes(text, 2, 0);
    paint(160, 100, 44);
    // Inside: text rows 11-15, columns 16-25 are all 44 now; outside untouched.
    for (int y = 80; y < 120; ++y)
        for (int x = 120; x < 200; ++x) ASSERT_EQ(pixel(x, y), 44) << x << "," << y;
    EXPECT_EQ(pixel(0, 0), 0);
    EXPECT_EQ(pixel(119, 100), 44) << "the ring itself";
    EXPECT_EQ(pixel(111, 100), 0);
    EXPECT_EQ(character_at(13, 20, 0, 0), 219u);
    EXPECT_EQ(out().cursor_col, 22) << "PAINT does not move the text cursor";
}

TEST_F(Paint, SeedOfTheBorderColourDrawsNothing) {
    paint(160, 100, 0);
    EXPECT_EQ(count(0), 64000);
    EXPECT_EQ(out().draw_color, 0u);
}

TEST_F(Paint, GivenBorderLetsTheFillFloodItsOwnColour) {
    std::memset(out().pixels, 15, 64000);
    for (int x = 0; x < 320; ++x) out().pixels[50 * 320 + x] = 4;
    paint_fill(160, 100, 15, 4, 0, 6);
    EXPECT_EQ(count(15), 64000 - 320);
    paint_fill(160, 100, 7, 4, 0, 6);
    EXPECT_EQ(pixel(0, 51), 7);
    EXPECT_EQ(pixel(0, 49), 15) << "the border line holds";
    EXPECT_EQ(pixel(0, 50), 4);
}

TEST_F(Paint, ModeTwelveMasksTheFillColour) {
    screen(12);
    for (int y = 0; y < 480; ++y) out().pixels[y * 640 + 300] = 4;
    paint_fill(100, 100, 20, 0, 0, 2);
    EXPECT_EQ(pixel(0, 0), 4);
    EXPECT_EQ(pixel(299, 479), 4);
    EXPECT_EQ(pixel(301, 0), 0) << "stopped at colour 4";
    EXPECT_EQ(out().draw_color, 4u);
}

TEST_F(Paint, ViewportBoundsTheFillAndASeedOutsideDrawsNothing) {
    out().clip_left = 10;
    out().clip_top = 20;
    out().clip_right = 29;
    out().clip_bottom = 39;
    paint(5, 5, 9);
    EXPECT_EQ(count(9), 0);
    EXPECT_EQ(out().pen_x, 5.0f) << "the pen moves even so";
    paint(15, 25, 9);
    EXPECT_EQ(count(9), 400);
    EXPECT_EQ(pixel(10, 20), 9);
    EXPECT_EQ(pixel(30, 20), 0);
}

TEST_F(Paint, StepIsRelativeToThePenAndCoordinatesRoundHalfToEven) {
    out().pixels[100 * 320 + 161] = 3;
    out().pixels[100 * 320 + 162] = 3;
    paint_fill(0.5f, 0, 3, 0, 0, 3);  // pen 160.5 -> 160, not on the 3s
    EXPECT_EQ(out().pen_x, 160.5f);
    EXPECT_EQ(pixel(0, 0), 3);
    std::memset(out().pixels, 0, 64000);
    out().pixels[100 * 320 + 162] = 3;
    paint_fill(161.5f, 100, 3, 0, 0, 2);  // rounds to 162: the seed has the border colour
    EXPECT_EQ(count(3), 1);
}

TEST_F(Paint, BadCallsRaiseErrorFiveAndChangeNothing) {
    paint_fill(160, 100, 9, 0, 1, 10);
    EXPECT_EQ(error(), 5);
    clear_error();
    EXPECT_EQ(out().draw_color, 15u);
    screen(0);
    paint_fill(1, 1, 9, 0, 0, 2);
    EXPECT_EQ(error(), 5);
    clear_error();
    control.pending_error = 5;
    screen(13);
    paint(160, 100, 9);
    EXPECT_EQ(out().mode, 0);
}

// An H-tree of open pixels: every branch point of one level lies at the same
// path distance from the centre, so a generation of the fill holds a piece of
// every smallest H at once.
void draw_h_tree(ScreenImage& m, int x, int y, int half) {
    for (int i = -half; i <= half; ++i) {
        m.pixels[y * m.width + x + i] = 0;
        m.pixels[(y + i) * m.width + x - half] = 0;
        m.pixels[(y + i) * m.width + x + half] = 0;
    }
    if (half < 4) return;
    for (int dx : {-half, half})
        for (int dy : {-half, half}) draw_h_tree(m, x + dx, y + dy, half / 2);
}

TEST_F(Paint, AGenerationLargerThanItsListsGrowsThem) {
    int32_t handle = create_image(2049, 2049, 256);
    ASSERT_NE(handle, 0);
    screen(-handle);
    ScreenImage& m = out();
    std::memset(m.pixels, 1, size_t(2049) * 2049);
    draw_h_tree(m, 1024, 1024, 512);
    size_t open = 0;
    for (size_t i = 0; i < size_t(2049) * 2049; ++i) open += m.pixels[i] == 0;
    paint_fill(1024, 1024, 5, 1, 0, 6);
    EXPECT_GT(fill_list_capacity(), 65536u);
    size_t filled = 0;
    for (size_t i = 0; i < size_t(2049) * 2049; ++i) filled += m.pixels[i] == 5;
    EXPECT_EQ(filled, open);
    EXPECT_TRUE(visited_map_clear());
    EXPECT_EQ(visited_map_size(), size_t(2049) * 2049);
}

TEST_F(Paint, ThirtyTwoBitImagesFillWholeColours) {
    int32_t handle = create_image(50, 40, 32);
    screen(-handle);
    paint_fill(3, 3, 0xFF123456u, 0, 0, 2);
    EXPECT_EQ(reinterpret_cast<uint32_t*>(out().pixels)[49 + 39 * 50], 0xFF123456u);
}

}  // namespace
