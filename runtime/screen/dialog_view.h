// The message-box dialog as the presentation draws it over the emulated
// screen: a framed box centred in the window surface, a title bar with the
// caption, the text lines (wrapped at spaces to the room there is) and the
// buttons, each labelled with the key that answers it. Everything is drawn
// with the 8x16 glyph set. The layout is in the units of the picture under it:
// in a window scaled N times each unit is N x N surface pixels, so the box
// grows with the window; full screen it is one pixel, and the box is as
// readable there as in an unscaled window.
//
// | part       | colours                   |
// |------------|---------------------------|
// | frame      | white outside, black line |
// | title bar  | white on blue             |
// | text       | black on light grey       |
// | buttons    | black on white, framed    |
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/dialog.h"
#include "runtime/screen/present_frame.h"

struct DialogRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool contains(int32_t px, int32_t py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

struct DialogButtonView {
    DialogRect rect;
    std::string label;
    DialogAnswer answer = DialogAnswer::ok;
};

struct DialogLayout {
    DialogRect box;
    DialogRect title_bar;
    std::string caption;  // cut to the box's width
    int32_t text_x = 0;   // first text line's top left
    int32_t text_y = 0;
    std::vector<std::string> lines;
    std::vector<DialogButtonView> buttons;
};

constexpr int32_t dialog_glyph_width = 8;
constexpr int32_t dialog_glyph_height = 16;

// Lays the dialog out for a surface of surface_width x surface_height units.
DialogLayout layout_dialog(const char* caption, const char* text, DialogButtons buttons, int32_t surface_width,
                           int32_t surface_height);

// Draws it with the 8x16 glyph set (256 glyphs of 128 bytes, 0 or 255 per
// pixel), each unit of the layout scale x scale pixels of the target.
void draw_dialog(const DialogLayout& layout, const uint8_t* glyphs8x16, const FrameTarget& target, int32_t scale = 1);

// Breaks text at line feeds and wraps each line at spaces to at most columns
// characters; a word longer than that is cut.
std::vector<std::string> wrap_dialog_text(const std::string& text, int32_t columns);
