#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "runtime/screen/fonts.h"
#include "runtime/screen/palettes.h"
#include "screen/screen_fixture.h"

namespace {

using ScreenMode = ScreenTest;

TEST_F(ScreenMode, StartUpIsAnEightyByTwentyFiveTextScreenWithEightPages) {
    ScreenImage& m = out();
    EXPECT_EQ(m.mode, 0);
    EXPECT_EQ(m.text_surface, 1);
    EXPECT_EQ(m.width, 80);
    EXPECT_EQ(m.height, 25);
    EXPECT_EQ(m.font, 16u);
    EXPECT_EQ(m.fg_color, 7u);
    EXPECT_EQ(m.print_bottom_row, 24);
    EXPECT_EQ(m.cursor_start_line, 4);
    EXPECT_EQ(m.pixels, emulated_memory + text_pages_offset);
    EXPECT_EQ(m.pixels[0], ' ');
    EXPECT_EQ(m.pixels[1], 7);
    ASSERT_GE(images.page_table.size(), 8u);
    EXPECT_EQ(image_record(images.page_table[7])->pixels, emulated_memory + text_pages_offset + 7 * 4096);
    EXPECT_EQ(images.page_table[0], 2) << "handles 0 and 1 are reserved";
    EXPECT_EQ(screen_mode_state.screen_untouched, 1);
}

TEST_F(ScreenMode, ThirteenHasItsDefaults) {
    screen(13);
    ScreenImage& m = out();
    EXPECT_EQ(error(), 0);
    EXPECT_EQ(m.mode, 13);
    EXPECT_EQ(text_columns(m), 40);
    EXPECT_EQ(text_rows(m), 25);
    EXPECT_EQ(m.print_top_row, 1);
    EXPECT_EQ(m.print_bottom_row, 24);
    EXPECT_EQ(m.pen_x, 160.0f);
    EXPECT_EQ(m.pen_y, 100.0f);
    EXPECT_EQ(m.fg_color, 15u);
    EXPECT_EQ(m.bg_color, 0u);
    EXPECT_EQ(m.draw_color, 15u);
    EXPECT_EQ(m.color_mask, 255u);
    EXPECT_EQ(m.text_draw_mode, 3);
    EXPECT_EQ(m.transparent_color, -1);
    EXPECT_EQ(m.clip_right, 319);
    EXPECT_EQ(m.clip_bottom, 199);
    EXPECT_EQ(m.draw_scale, 1.0);
    EXPECT_EQ(m.pixels, emulated_memory + mode13_pixels_offset);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(m.palette[i], vga256_palette[i] | 0xFF000000u) << i;
    for (int i = 0; i < 64000; ++i) ASSERT_EQ(m.pixels[i], 0) << i;
    EXPECT_EQ(images.page_table.size(), 1u);
    EXPECT_EQ(images.display_image.load(), images.write_image);
    EXPECT_EQ(images.read_image, images.write_image);
    EXPECT_EQ(screen_mode_state.screen_untouched, 0);
}

TEST_F(ScreenMode, TwelveHasItsDefaultsAndKeepsFontSixteenAfterThirteen) {
    screen(13);
    screen(12);
    ScreenImage& m = out();
    EXPECT_EQ(m.mode, 12);
    EXPECT_EQ(m.width, 640);
    EXPECT_EQ(m.height, 480);
    EXPECT_EQ(m.font, 16u);
    EXPECT_EQ(text_columns(m), 80);
    EXPECT_EQ(text_rows(m), 30);
    EXPECT_EQ(m.print_bottom_row, 29);
    EXPECT_EQ(m.pen_x, 320.0f);
    EXPECT_EQ(m.pen_y, 240.0f);
    EXPECT_EQ(m.color_mask, 15u);
    EXPECT_NE(m.image_flags & image_owns_pixels, 0u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.palette[i], vga256_palette[i] | 0xFF000000u);
    for (int i = 16; i < 256; ++i) ASSERT_EQ(m.palette[i], 0u);
}

TEST_F(ScreenMode, PokeIntoModeThirteenMemoryIsAPixelOnlyInModeThirteen) {
    screen(13);
    emulated_memory[mode13_pixels_offset + 7 * 320 + 5] = 99;
    EXPECT_EQ(pixel(5, 7), 99);
    screen(12);
    EXPECT_EQ(pixel(5, 7), 0);
    EXPECT_EQ(emulated_memory[mode13_pixels_offset + 7 * 320 + 5], 99) << "mode 13's memory is not freed";
}

TEST_F(ScreenMode, SameModeAgainLeavesPictureCursorAndColours) {
    screen(13);
    out().pixels[100] = 7;
    out().cursor_row = 9;
    out().fg_color = 44;
    int32_t handle = images.write_image;
    screen(13);
    EXPECT_EQ(images.write_image, handle);
    EXPECT_EQ(out().pixels[100], 7);
    EXPECT_EQ(out().cursor_row, 9);
    EXPECT_EQ(out().fg_color, 44u);
}

TEST_F(ScreenMode, UnsupportedModesAndBadHandlesChangeNothing) {
    screen(13);
    int32_t handle = images.write_image;
    for (int32_t mode : {3, 4, 5, 6, 14, 256, 32}) {
        screen(mode);
        EXPECT_EQ(error(), 5) << mode;
        clear_error();
    }
    for (int32_t mode : {-1, -0, -99, -2147483647 - 1}) {
        screen(mode == 0 ? -1 : mode);
        EXPECT_EQ(error(), 258) << mode;
        clear_error();
    }
    set_screen_mode(13, 0, -1, 0, 0, 5);
    EXPECT_EQ(error(), 5);
    clear_error();
    set_screen_mode(13, 0, 0, -2, 0, 9);
    EXPECT_EQ(error(), 5);
    clear_error();
    EXPECT_EQ(images.write_image, handle);
    EXPECT_EQ(out().mode, 13);
}

TEST_F(ScreenMode, NothingHappensWhileAnErrorIsPending) {
    control.pending_error = 5;
    screen(13);
    EXPECT_EQ(out().mode, 0);
}

TEST_F(ScreenMode, ActivePageSwitchCreatesAPageSharingThePalette) {
    screen(12);
    int32_t page0 = images.write_image;
    out().fg_color = 3;
    out().pen_x = 11;
    set_screen_mode(0, 0, 1, 0, 0, 4);
    ASSERT_EQ(error(), 0);
    int32_t page1 = images.write_image;
    EXPECT_NE(page1, page0);
    EXPECT_EQ(images.read_image, page1);
    EXPECT_EQ(images.display_image.load(), page1) << "the visual page follows the active page";
    ScreenImage& m = out();
    EXPECT_EQ(m.palette, image_record(page0)->palette);
    EXPECT_EQ(m.image_flags & image_owns_palette, 0u);
    EXPECT_NE(m.image_flags & image_is_page, 0u);
    EXPECT_EQ(m.fg_color, 15u);
    EXPECT_EQ(m.pen_x, 11.0f) << "the graphics state follows to the new active page";
    EXPECT_EQ(m.print_bottom_row, 29);
    // Back to page 0 visual, page 1 active.
    set_screen_mode(0, 0, 1, 0, 0, 12);
    EXPECT_EQ(images.display_image.load(), page0);
    EXPECT_EQ(images.write_image, page1);
    // A mode change frees the pages and starts again on page 0.
    screen(13);
    EXPECT_EQ(images.page_table.size(), 1u);
    EXPECT_FALSE(image_handle_valid(page1));
}

TEST_F(ScreenMode, AdoptedImageBecomesTheScreenAndSurvivesTheNextModeChange) {
    int32_t handle = create_image(100, 50, 13);
    ASSERT_NE(handle, 0);
    screen(-handle);
    ASSERT_EQ(error(), 0);
    EXPECT_EQ(images.write_image, handle);
    EXPECT_NE(out().image_flags & image_is_page, 0u);
    screen(13);
    EXPECT_EQ(images.write_image, handle) << "the adopted image already has mode 13";
    screen(12);
    ASSERT_TRUE(image_handle_valid(handle));
    EXPECT_EQ(image_record(handle)->image_flags & image_is_page, 0u);
    EXPECT_NE(images.write_image, handle);
}

TEST_F(ScreenMode, ImageTableGrowsBeyondItsFirstBlockAndReusesFreedHandles) {
    std::vector<int32_t> made;
    for (int i = 0; i < 5000; ++i) made.push_back(create_image_header(nullptr, 1, 1, 256));
    EXPECT_EQ(made.back() - made.front(), 4999);
    ScreenImage* early = image_record(made.front());
    destroy_image(made[10]);
    EXPECT_FALSE(image_handle_valid(made[10]));
    EXPECT_EQ(create_image_header(nullptr, 1, 1, 256), made[10]);
    EXPECT_EQ(image_record(made.front()), early) << "records do not move when the table grows";
    EXPECT_EQ(create_image_header(nullptr, 0, 1, 13), 0);
    EXPECT_EQ(create_image_header(nullptr, 1, 1, 5), 0);
}

TEST_F(ScreenMode, DefaultPalettesOfTheOlderModes) {
    struct Case {
        int32_t mode;
        int index;
        uint32_t rgb;
    };
    const Case cases[] = {{1, 1, 0x00AAAA}, {1, 3, 0xAAAAAA}, {2, 1, 0xFFFFFF}, {9, 6, 0xAA5500}, {9, 8, 0x555555},
                          {7, 6, 0xAA5500}, {256, 44, 0xFFFF00}};
    for (const Case& c : cases) {
        int32_t handle = create_image(8, 8, c.mode);
        EXPECT_EQ(image_record(handle)->palette[c.index] & 0xFFFFFF, c.rgb) << c.mode << " " << c.index;
    }
    int32_t mode10 = create_image(8, 8, 10);
    EXPECT_EQ(image_record(mode10)->palette[5], 4u);
    EXPECT_EQ(image_record(mode10)->palette[7], 8u);
    EXPECT_EQ(image_record(create_image(8, 8, 32))->palette, nullptr);
}

TEST_F(ScreenMode, BackToTextModeRefillsTheTextPages) {
    screen(13);
    screen(0);
    EXPECT_EQ(out().mode, 0);
    EXPECT_EQ(out().pixels, emulated_memory + text_pages_offset);
    EXPECT_EQ(emulated_memory[text_pages_offset + 65534], ' ');
    EXPECT_EQ(emulated_memory[text_pages_offset + 65535], 7);
}

}  // namespace

TEST_F(ScreenMode, WidthRebuildsTheTextScreenOrPicksAFontForThePixelGrid) {
    const struct { int32_t mode, columns, rows, passed, error, grid_columns, grid_rows, font; } cases[] = {
        {0, 40, 0, 1, 0, 40, 25, 17}, {0, 80, 50, 3, 0, 80, 50, 8},  {0, 40, 43, 3, 0, 40, 43, 15},
        {0, 0, 43, 2, 0, 80, 43, 14}, {0, 60, 0, 1, 5, 80, 25, 16},  {0, 80, 30, 3, 5, 80, 25, 16},
        {12, 80, 60, 3, 0, 80, 60, 8}, {12, 0, 34, 2, 0, 80, 34, 14}, {12, 0, 30, 2, 0, 80, 30, 16},
        {12, 40, 0, 1, 5, 80, 30, 16}, {13, 0, 0, 0, 0, 40, 25, 8},  {9, 80, 43, 3, 0, 80, 43, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "SCREEN " << c.mode << ": WIDTH " << c.columns << ", " << c.rows);
        reset_screen_state();
        screen_start();
        if (c.mode != 0) screen(c.mode);
        int32_t page_one = page_image(1);
        locate_statement(5, text_columns(out()), 0, 0, 0, 3);
        print_bytes(reinterpret_cast<const uint8_t*>("W"), 1, 0);  // in the last column: a new line owed
        width_statement(c.columns, c.rows, uint32_t(c.passed));
        EXPECT_EQ(error(), c.error);
        clear_error();
        ScreenImage& m = out();
        EXPECT_EQ(text_columns(m), c.grid_columns);
        EXPECT_EQ(text_rows(m), c.grid_rows);
        EXPECT_EQ(m.font, uint32_t(c.font));
        EXPECT_EQ(image_record(page_one)->font, uint32_t(c.font)) << "the other pages share the grid";
        EXPECT_EQ(screen_mode_state.pending_text_columns, -1) << "taken by the rebuild, or never recorded";
        bool changed = c.error == 0 && c.passed != 0;
        EXPECT_EQ(csrlin(), changed ? 1 : 6) << "the cursor goes home and owes no new line";
        // The text screen is built anew; pixel screens keep their picture.
        if (m.text_surface) EXPECT_EQ(m.pixels[(5 * m.width - 1) * 2], changed ? ' ' : 'W');
        else EXPECT_TRUE(std::any_of(m.pixels, m.pixels + m.width * m.height, [](uint8_t p) { return p != 0; }));
    }
    control.pending_error = 5;
    width_statement(0, 25, 2);
    EXPECT_EQ(out().font, 8u) << "nothing while an error is pending";
}
