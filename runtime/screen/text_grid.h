// Shared by the text statements: the text grid of an image as the cursor
// moves on it, and the clearing of areas to a colour.
#pragma once

#include <algorithm>
#include <cstdint>

#include "runtime/screen/fonts.h"
#include "runtime/screen/screen_image.h"

struct TextGeometry {
    int32_t glyph_width;   // pixels; 1 for a text surface (one cell)
    int32_t glyph_height;  // pixels; 1 for a text surface
    int32_t columns;       // at least 1, so that the cursor always has a cell
    int32_t rows;          // at least 1
};

inline TextGeometry text_geometry(const ScreenImage& m) {
    if (m.text_surface) return {1, 1, std::max<int32_t>(1, m.width), std::max<int32_t>(1, m.height)};
    int32_t gw = m.font < font_handle_count ? font_width_table[m.font] : 0;
    int32_t gh = m.font < font_handle_count ? font_height_table[m.font] : 0;
    if (gw <= 0) gw = 8;
    if (gh <= 0) gh = 16;
    return {gw, gh, std::max(1, m.width / gw), std::max(1, m.height / gh)};
}

// The attribute byte of a text cell.
inline uint8_t text_attribute(uint32_t fg, uint32_t bg) {
    return static_cast<uint8_t>(((fg & 16) * 8) + ((bg & 7) * 16) + (fg & 15));
}

// Fills pixel rows [y0, y1) between x0 and x1 (exclusive) with a colour,
// clipped to the image. Pixel images only.
void fill_pixel_box(ScreenImage& m, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t color);

// Fills text rows [row0, row1] (1-based) of a text surface with spaces.
void fill_text_rows(ScreenImage& m, int32_t row0, int32_t row1, uint8_t attribute);

// CLS without arguments (also the form-feed code of PRINT).
void clear_screen_default(ScreenImage& m);
