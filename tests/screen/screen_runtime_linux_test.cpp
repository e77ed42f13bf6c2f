// The screen statements inside the whole runtime: the program thread draws
// while the main thread presents, and SCREEN waits for the presentation to
// freeze before it frees the old screen.
#include <gtest/gtest.h>

#include <string>

#include "runtime/core/end_program.h"
#include "runtime/core/statement.h"
#include "runtime/screen/flood_fill.h"
#include "runtime/screen/read_back.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"
#include "support/runtime_child.h"

namespace {

void print_text(const char* text, bool newline) {
    print_bytes(reinterpret_cast<const uint8_t*>(text), static_cast<int32_t>(std::char_traits<char>::length(text)), newline);
}

TEST(ScreenRuntime, TitleLikeScreenDrawsScrollsReadsBackAndSwitchesModes) {
    ChildResult result = run_runtime_child([] {
        child_report("start:" + std::to_string(write_image_record()->mode) + "," +
                     std::to_string(screen_mode_state.screen_untouched));
        statement(5, [] { set_screen_mode(13, 0, 0, 0, 0, 1); });
        statement(10, [] { color_statement(25, 0, 0, 1); });
        statement(11, [] { locate_statement(10, 13, 0, 0, 0, 3); });
        statement(12, [] { print_text("\xeb*\xeb*\xeb", true); });
        for (int i = 0; i < 8; ++i) {
            statement(20, [] { locate_statement(24, 0, 0, 0, 0, 1); });
            statement(21, [] { print_text(" ", true); });
        }
        child_report("after scroll:" + std::to_string(character_at(2, 13, 0, 0)) + "," +
                     std::to_string(character_at(2, 14, 0, 0)) + "," + std::to_string(character_at(2, 13, 1, 1)));
        statement(30, [] { paint_fill(100, 100, 44, 0, 0, 2); });
        child_report("painted:" + std::to_string(read_pixel(0, 199)) + "," + std::to_string(character_at(2, 13, 0, 0)));
        // Mode changes while the main thread keeps presenting.
        for (int i = 0; i < 10; ++i) {
            statement(40, [] { set_screen_mode(12, 0, 0, 0, 0, 1); });
            statement(41, [] { set_screen_mode(13, 0, 0, 0, 0, 1); });
        }
        child_report("freeze:" + std::to_string(control.presentation_freeze.load()));
        statement(50, [] { set_screen_mode(12, 0, 0, 0, 0, 1); });
        statement(51, [] { locate_statement(30, 80, 0, 0, 0, 3); });
        statement(52, [] { print_text("\xdb", false); });
        child_report("mode12:" + std::to_string(character_at(30, 80, 0, 0)) + "," +
                     std::to_string(character_at(30, 80, 1, 1)));
        answer_next_dialog(SDLK_y);
        statement(60, [] { set_screen_mode(14, 0, 0, 0, 0, 1); });
        child_report("after error:" + std::to_string(write_image_record()->mode));
        system_exit();
    });
    ASSERT_TRUE(result.exited) << result.stderr_text;
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("start:0,1"));
    EXPECT_TRUE(result.reported("after scroll:235,42,25")) << "the frame row moved from row 10 to row 2";
    EXPECT_TRUE(result.reported("painted:44,219"));
    EXPECT_TRUE(result.reported("freeze:0"));
    EXPECT_TRUE(result.reported("mode12:219,15"));
    EXPECT_TRUE(result.reported("caption:Unhandled Error #5"));
    EXPECT_TRUE(result.reported("after error:12"));
}

TEST(ScreenRuntime, ClosingTheWindowEndsAProgramThatKeepsChangingModes) {
    ChildResult result = run_runtime_child([] {
        child_report("running");
        push_quit();
        for (int i = 0;; ++i)
            statement(10, [i] { set_screen_mode(i % 2 ? 13 : 12, 0, 0, 0, 0, 1); });
    });
    ASSERT_TRUE(result.exited) << result.stderr_text;
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("running"));
}

}  // namespace
