#include "runtime/screen/present_text.h"

#include <algorithm>
#include <cstring>

namespace {

// One cell's pixels, cut at the target's edges.
struct CellPainter {
    const FrameTarget& target;
    int32_t origin_x;
    int32_t origin_y;
    int32_t repeat;

    void put(int32_t x, int32_t y, uint32_t colour) const {
        int32_t tx = origin_x + x * repeat, ty = origin_y + y * repeat;
        for (int32_t dy = 0; dy < repeat; ++dy) {
            int32_t yy = ty + dy;
            if (yy < 0 || yy >= target.height) continue;
            uint32_t* row = target.pixels + static_cast<size_t>(yy) * target.pitch_words;
            for (int32_t dx = 0; dx < repeat; ++dx) {
                int32_t xx = tx + dx;
                if (xx >= 0 && xx < target.width) row[xx] = colour;
            }
        }
    }
};

void draw_cell(const TextGlyphs& glyphs, uint8_t code, uint32_t fg, uint32_t bg, const CursorRows& cursor,
               const CellPainter& painter) {
    const uint8_t* glyph = glyphs.first ? glyphs.first + static_cast<size_t>(code) * glyphs.stride : nullptr;
    int32_t cw = glyphs.cell_width();
    for (int32_t y = 0; y < glyphs.height; ++y) {
        bool cursor_line = y >= cursor.first && y <= cursor.last;
        for (int32_t x = 0; x < cw; ++x) {
            bool set = cursor_line || (glyph && glyph[y * 8 + (glyphs.doubled ? x / 2 : x)] != 0);
            painter.put(x, y, set ? fg : bg);
        }
    }
}

}  // namespace

int32_t draw_text_frame(TextFrameState& state, const TextView& view, const TextGlyphs& glyphs, bool full,
                        int32_t frame_counter, const FrameTarget& target, int32_t offset_x, int32_t offset_y,
                        int32_t repeat) {
    if (!view.cells || !view.palette || view.columns <= 0 || view.rows <= 0 || glyphs.height <= 0) return 0;
    if (!target.pixels || target.width <= 0 || target.height <= 0) return 0;
    repeat = std::max(repeat, 1);
    size_t cell_bytes = static_cast<size_t>(view.columns) * view.rows * 2;
    if (state.last_cells.size() != cell_bytes) {
        state.last_cells.assign(cell_bytes, 0);
        full = true;
    }
    if (std::memcmp(state.text_palette, view.palette, sizeof state.text_palette) != 0) {
        std::memcpy(state.text_palette, view.palette, sizeof state.text_palette);
        full = true;
    }
    int32_t cursor_col = view.cursor_col - 1, cursor_row = view.cursor_row - 1;
    if (view.wrap_pending == 2 && cursor_row < view.rows - 1) {
        cursor_col = 0;
        ++cursor_row;
    }
    int32_t cursor_phase = (frame_counter >> 2) & 1;
    int32_t blink_phase = (frame_counter >> 3) & 1;
    bool cursor_moved = cursor_col != state.cursor_col || cursor_row != state.cursor_row;
    bool cursor_blinked = cursor_phase != state.cursor_phase;
    bool blink_turned = blink_phase != state.blink_phase;
    CursorRows cursor_shape = view.cursor_visible && cursor_phase == 1
                                  ? cursor_rows(view.cursor_start_line, view.cursor_stop_line, glyphs.height)
                                  : CursorRows{};
    int32_t cw = glyphs.cell_width();
    int32_t drawn = 0;
    for (int32_t row = 0; row < view.rows; ++row) {
        for (int32_t col = 0; col < view.columns; ++col) {
            size_t at = (static_cast<size_t>(row) * view.columns + col) * 2;
            uint8_t c = view.cells[at], a = view.cells[at + 1];
            bool at_cursor = col == cursor_col && row == cursor_row;
            bool left_by_cursor = col == state.cursor_col && row == state.cursor_row;
            if (!full && c == state.last_cells[at] && a == state.last_cells[at + 1] && (!(a & 0x80) || !blink_turned) &&
                !(at_cursor && (cursor_blinked || cursor_moved)) && !(left_by_cursor && cursor_moved))
                continue;
            state.last_cells[at] = c;
            state.last_cells[at + 1] = a;
            uint32_t fg_index = a & 15, bg_index = (a >> 4) & 7;
            if ((a & 0x80) && blink_phase == 1) fg_index = bg_index;
            CellPainter painter{target, offset_x + col * cw * repeat, offset_y + row * glyphs.height * repeat, repeat};
            draw_cell(glyphs, c, view.palette[fg_index], view.palette[bg_index], at_cursor ? cursor_shape : CursorRows{},
                      painter);
            ++drawn;
        }
    }
    state.cursor_col = cursor_col;
    state.cursor_row = cursor_row;
    state.cursor_phase = cursor_phase;
    state.blink_phase = blink_phase;
    return drawn;
}
