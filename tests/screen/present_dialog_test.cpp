#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/runtime_control.h"
#include "runtime/platform/dialog.h"
#include "runtime/screen/dialog_view.h"
#include "runtime/screen/fonts.h"

namespace {

const char* const error_text = "Line:312\nIllegal function call\nContinue?";

// Reads the text drawn in a row of glyph cells back from the frame: each
// 8 x 16 block is compared with the glyph set, pixels of ink against the rest.
std::string read_text(const std::vector<uint32_t>& frame, int32_t pitch, int32_t x, int32_t y, size_t length, uint32_t ink) {
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        int found = -1;
        for (int c = 1; c < 256 && found < 0; ++c) {
            bool same = true;
            for (int gy = 0; gy < 16 && same; ++gy)
                for (int gx = 0; gx < 8 && same; ++gx) {
                    bool set = font8x16[c * 128 + gy * 8 + gx] != 0;
                    bool inked = frame[static_cast<size_t>(y + gy) * pitch + x + static_cast<int32_t>(i) * 8 + gx] == ink;
                    same = set == inked;
                }
            if (same) found = c;
        }
        text += found < 0 ? '?' : static_cast<char>(found);
    }
    return text;
}

struct DialogDrawing : ::testing::Test {
    void SetUp() override { load_fonts(); }
};

SDL_Event mouse_event(Uint8 type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    event.button.type = type;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = static_cast<Uint16>(x);
    event.button.y = static_cast<Uint16>(y);
    return event;
}

}  // namespace

TEST(DialogText, WrapsAtSpacesAndKeepsLineFeeds) {
    using V = std::vector<std::string>;
    EXPECT_EQ(wrap_dialog_text("Line:312\nIllegal function call\nContinue?", 40), (V{"Line:312", "Illegal function call", "Continue?"}));
    EXPECT_EQ(wrap_dialog_text("Source and destination memory regions out of range", 20),
              (V{"Source and", "destination memory", "regions out of range"}));
    EXPECT_EQ(wrap_dialog_text("abcdefghij", 4), (V{"abcd", "efgh", "ij"}));
    EXPECT_EQ(wrap_dialog_text("", 10), (V{""}));
}

TEST_F(DialogDrawing, CaptionTextAndButtonsAreReadableInTheFrame) {
    const int32_t w = 320, h = 200;
    std::vector<uint32_t> frame(w * h, 0xFF00FF00);
    DialogLayout layout = layout_dialog("Unhandled Error #5", error_text, DialogButtons::yes_no, w, h);
    draw_dialog(layout, font8x16, {frame.data(), w, h, w});
    ASSERT_EQ(layout.lines.size(), 3u);
    EXPECT_EQ(read_text(frame, w, layout.title_bar.x + 8, layout.title_bar.y + 2, 18, 0xFFFFFFFF), "Unhandled Error #5");
    EXPECT_EQ(read_text(frame, w, layout.text_x, layout.text_y, 8, 0xFF000000), "Line:312");
    EXPECT_EQ(read_text(frame, w, layout.text_x, layout.text_y + 16, 21, 0xFF000000), "Illegal function call");
    EXPECT_EQ(read_text(frame, w, layout.text_x, layout.text_y + 32, 9, 0xFF000000), "Continue?");
    ASSERT_EQ(layout.buttons.size(), 2u);
    const DialogRect& yes = layout.buttons[0].rect;
    EXPECT_EQ(read_text(frame, w, yes.x + 8, yes.y + 3, 7, 0xFF000000), "Yes (Y)");
    const DialogRect& no = layout.buttons[1].rect;
    EXPECT_EQ(read_text(frame, w, no.x + 8, no.y + 3, 6, 0xFF000000), "No (N)");
    // The box is centred and the screen around it untouched.
    EXPECT_EQ(layout.box.x, (w - layout.box.width) / 2);
    EXPECT_EQ(frame[0], 0xFF00FF00u);
    EXPECT_EQ(frame[static_cast<size_t>(layout.box.y) * w + layout.box.x - 1], 0xFF00FF00u);
    EXPECT_EQ(frame[static_cast<size_t>(layout.box.y) * w + layout.box.x], 0xFFFFFFFFu);
}

TEST_F(DialogDrawing, LongMessagesWrapInsideASmallWindow) {
    const int32_t w = 320, h = 200;
    std::vector<uint32_t> frame(w * h, 0);
    DialogLayout layout = layout_dialog("Critical Error #304", "Line:40\nSource and destination memory regions out of range",
                                        DialogButtons::ok, w, h);
    draw_dialog(layout, font8x16, {frame.data(), w, h, w});
    EXPECT_GE(layout.box.x, 0);
    EXPECT_LE(layout.box.x + layout.box.width, w);
    EXPECT_LE(layout.box.y + layout.box.height, h);
    EXPECT_EQ(layout.lines.size(), 3u);
    ASSERT_EQ(layout.buttons.size(), 1u);
    EXPECT_EQ(layout.buttons[0].label, "OK (Enter)");
    EXPECT_EQ(layout.buttons[0].answer, DialogAnswer::ok);
}

TEST_F(DialogDrawing, TinySurfaceIsNeverWrittenOutside) {
    std::vector<uint32_t> frame(64 * 40 + 64, 0x55555555);
    DialogLayout layout = layout_dialog("Unhandled Error #5", error_text, DialogButtons::yes_no, 60, 40);
    draw_dialog(layout, font8x16, {frame.data(), 60, 40, 64});
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 60; x < 64; ++x) ASSERT_EQ(frame[y * 64 + x], 0x55555555u);
    for (size_t i = 64 * 40; i < frame.size(); ++i) ASSERT_EQ(frame[i], 0x55555555u);
}

TEST(DialogClicks, ReleaseOverThePressedButtonAnswers) {
    reset_runtime_control();
    dialog_state.buttons = DialogButtons::yes_no;
    dialog_state.phase = 1;
    DialogClickArea areas[2] = {{100, 100, 60, 20, DialogAnswer::yes}, {180, 100, 60, 20, DialogAnswer::no}};
    set_dialog_click_areas(areas, 2);
    // Pressed on No, released on Yes: no answer.
    EXPECT_TRUE(dialog_handle_event(mouse_event(SDL_MOUSEBUTTONDOWN, 190, 110)));
    EXPECT_TRUE(dialog_handle_event(mouse_event(SDL_MOUSEBUTTONUP, 110, 110)));
    EXPECT_EQ(dialog_state.phase.load(), 1);
    // A click beside the buttons: no answer.
    dialog_handle_event(mouse_event(SDL_MOUSEBUTTONDOWN, 170, 110));
    dialog_handle_event(mouse_event(SDL_MOUSEBUTTONUP, 170, 110));
    EXPECT_EQ(dialog_state.phase.load(), 1);
    dialog_handle_event(mouse_event(SDL_MOUSEBUTTONDOWN, 239, 119));
    dialog_handle_event(mouse_event(SDL_MOUSEBUTTONUP, 181, 101));
    EXPECT_EQ(dialog_state.phase.load(), 2);
    EXPECT_EQ(static_cast<DialogAnswer>(dialog_state.answer.load()), DialogAnswer::no);
    dialog_state.phase = 0;
    set_dialog_click_areas(nullptr, 0);
}
