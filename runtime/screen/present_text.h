// Drawing a character-cell image (mode 0) into a 32-bit frame, cell by cell,
// redrawing only the cells that changed since the last frame: a cell's
// character or attribute, a blinking cell whose phase turned, and the cells
// the cursor leaves, enters or blinks in.
//
// | attribute bits | meaning                                  |
// |----------------|------------------------------------------|
// | 0-3            | foreground colour index                  |
// | 4-6            | background colour index                  |
// | 7              | blink: foreground shows the background   |
//
// Timing from the presentation count: the cursor shows while bit 2 is set
// (a period of 8 presentations), blinking cells hide while bit 3 is set
// (16 presentations).
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/screen/present_frame.h"

// A glyph set as one byte per pixel (0 clear, 255 set), 8 bytes per row.
// Glyph c's first row is first + c * stride; doubled draws each column twice.
struct TextGlyphs {
    const uint8_t* first = nullptr;
    int32_t stride = 0;
    int32_t height = 0;
    bool doubled = false;
    int32_t cell_width() const { return doubled ? 16 : 8; }
};

// What the presentation reads from the text image for one frame.
struct TextView {
    const uint8_t* cells = nullptr;  // columns x rows cells: character, attribute
    int32_t columns = 0;
    int32_t rows = 0;
    const uint32_t* palette = nullptr;  // 256 entries
    int32_t cursor_col = 1;             // 1-based, as the image keeps them
    int32_t cursor_row = 1;
    int32_t wrap_pending = 0;
    bool cursor_visible = false;
    int32_t cursor_start_line = 0;
    int32_t cursor_stop_line = 0;
};

// What the last frame showed.
struct TextFrameState {
    std::vector<uint8_t> last_cells;
    uint32_t text_palette[256] = {};
    int32_t cursor_col = -1;  // 0-based cell of the last frame's cursor
    int32_t cursor_row = -1;
    int32_t cursor_phase = 0;
    int32_t blink_phase = 0;
};

// Draws the cells that need it at (offset_x, offset_y), each pixel repeat x
// repeat words; with full every cell. Returns the number of cells drawn.
int32_t draw_text_frame(TextFrameState& state, const TextView& view, const TextGlyphs& glyphs, bool full,
                        int32_t frame_counter, const FrameTarget& target, int32_t offset_x, int32_t offset_y,
                        int32_t repeat);
