#include "runtime/screen/text_output.h"

#include <cstring>

#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/screen/text_grid.h"
#include "runtime/sound/sound_queue.h"

TextOutputState text_output_state;

namespace {

constexpr int error_illegal_call = 5;
constexpr int error_invalid_handle = 258;

// A glyph row of 8 bytes (0 or 255 each) as one word.
inline uint64_t load8(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr uint64_t every_byte = 0x0101010101010101ull;

void store_pixel(ScreenImage& m, int32_t x, int32_t y, uint32_t color) {
    size_t at = size_t(y) * m.width + x;
    if (m.bytes_per_pixel == 4) {
        if (std::memcmp(m.pixels + at * 4, &color, 4) == 0) return;
        std::memcpy(m.pixels + at * 4, &color, 4);
    } else {
        auto value = static_cast<uint8_t>(color & m.color_mask);
        if (m.pixels[at] == value) return;
        m.pixels[at] = value;
    }
    note_display_change();
}

void draw_cell_pixels(ScreenImage& m, const uint8_t* glyph, int32_t glyph_height, int32_t x0, int32_t y0) {
    uint32_t fg = m.fg_color, bg = m.bg_color;
    uint8_t draw_mode = m.text_draw_mode;
    bool inside = x0 >= 0 && y0 >= 0 && x0 + 8 <= m.width && y0 + glyph_height <= m.height;
    if (inside && m.bytes_per_pixel == 1) {
        // Eight pixels at a time: set glyph bytes select the foreground.
        uint64_t fg8 = (fg & m.color_mask & 0xFF) * every_byte, bg8 = (bg & m.color_mask & 0xFF) * every_byte;
        uint8_t* row = m.pixels + size_t(y0) * m.width + x0;
        uint64_t changed = 0;
        for (int32_t r = 0; r < glyph_height; ++r, row += m.width) {
            uint64_t g = load8(glyph + r * 8), old = load8(row), v;
            if (draw_mode == 1) v = (old & ~g) | (fg8 & g);
            else if (draw_mode == 2) v = (old & g) | (bg8 & ~g);
            else v = (fg8 & g) | (bg8 & ~g);
            changed |= v ^ old;
            std::memcpy(row, &v, 8);
        }
        if (changed != 0) note_display_change();
        return;
    }
    for (int32_t r = 0; r < glyph_height; ++r) {
        int32_t y = y0 + r;
        if (y < 0 || y >= m.height) continue;
        for (int32_t c = 0; c < 8; ++c) {
            int32_t x = x0 + c;
            if (x < 0 || x >= m.width) continue;
            bool set = glyph[r * 8 + c] != 0;
            if (draw_mode == 1 && !set) continue;
            if (draw_mode == 2 && set) continue;
            store_pixel(m, x, y, set ? fg : bg);
        }
    }
}

void scroll_text_surface(ScreenImage& m, int32_t top, int32_t bottom) {
    size_t row_bytes = size_t(m.width) * 2;
    bottom = std::min<int32_t>(bottom, m.height);
    if (top < 1 || top > bottom) return;
    if (bottom > top)
        std::memmove(m.pixels + (top - 1) * row_bytes, m.pixels + top * row_bytes, (bottom - top) * row_bytes);
    fill_text_rows(m, bottom, bottom, text_attribute(m.fg_color, m.bg_color));
}

void scroll_pixel_rows(ScreenImage& m, const TextGeometry& g, int32_t top, int32_t bottom) {
    size_t row_bytes = size_t(m.width) * m.bytes_per_pixel;
    int32_t y_top = (top - 1) * g.glyph_height;
    int32_t y_end = std::min<int32_t>(bottom * g.glyph_height, m.height);
    if (y_top < 0 || y_top >= y_end) return;
    int32_t moved = y_end - y_top - g.glyph_height;
    if (moved > 0)
        std::memmove(m.pixels + y_top * row_bytes, m.pixels + (y_top + g.glyph_height) * row_bytes, moved * row_bytes);
    fill_pixel_box(m, 0, std::max(y_top, y_end - g.glyph_height), m.width, y_end, m.bg_color);
}

// Cursor movement codes of PRINT; true when b was one of them.
bool cursor_code(ScreenImage& m, const TextGeometry& g, uint8_t b) {
    int16_t& row = m.cursor_row;
    int16_t& col = m.cursor_col;
    switch (b) {
    case 28:
        if (row < m.print_bottom_row || col < g.columns) {
            if (++col > g.columns) {
                ++row;
                col = 1;
            }
        }
        return true;
    case 29:
        if (col == 1 && (row == m.print_top_row || row > m.print_bottom_row)) return true;
        if (--col < 1) {
            --row;
            col = static_cast<int16_t>(g.columns);
        }
        return true;
    case 30:
        if (m.print_top_row < row && row <= m.print_bottom_row) --row;
        return true;
    case 31:
        if (m.print_top_row <= row && row < m.print_bottom_row) ++row;
        return true;
    case 11:
        col = 1;
        row = m.print_top_row;
        return true;
    default: return false;
    }
}

// Draws b at the cursor and advances; returns true when that ended in an
// automatic new line.
bool put_char(ScreenImage& m, const TextGeometry& g, uint8_t b, bool last_byte, bool newline) {
    draw_glyph(b);
    if (++m.cursor_col <= g.columns) return false;
    if (last_byte && !newline) {
        m.cursor_col = static_cast<int16_t>(g.columns);
        m.wrap_pending = 1;
        return false;
    }
    print_newline();
    return true;
}

}  // namespace

void put_glyph_pixel(int32_t x, int32_t y, uint32_t color) { store_pixel(*write_image_record(), x, y, color); }

void draw_glyph(uint8_t code) {
    ScreenImage* m = write_image_record();
    if (!m || !m->pixels) return;
    int32_t col = m->cursor_col, row = m->cursor_row;
    if (m->text_surface) {
        if (col < 1 || col > m->width || row < 1 || row > m->height) return;
        uint8_t* cell = m->pixels + (size_t(row - 1) * m->width + (col - 1)) * 2;
        uint8_t attribute = text_attribute(m->fg_color, m->bg_color);
        if (cell[0] != code || cell[1] != attribute) note_display_change();
        cell[0] = code;
        cell[1] = attribute;
        return;
    }
    const uint8_t* glyph = glyph_pixels(m->font, code);
    if (!glyph) return;  // doubled and outline fonts have no glyph source on pixel screens
    int32_t gh = builtin_glyph_height(m->font);
    draw_cell_pixels(*m, glyph, gh, (col - 1) * 8, (row - 1) * gh);
}

void print_newline() {
    CursorPublication publication;
    ScreenImage* m = write_image_record();
    if (!m) return;
    TextGeometry g = text_geometry(*m);
    m->cursor_col = 1;
    if (++m->cursor_row <= m->print_bottom_row) return;
    // The rows outside the print area (the last text row) never move.
    if (m->pixels) {
        if (m->text_surface) scroll_text_surface(*m, m->print_top_row, m->print_bottom_row);
        else scroll_pixel_rows(*m, g, m->print_top_row, m->print_bottom_row);
    }
    m->cursor_row = m->print_bottom_row;
}

void print_fit_check_length(int32_t length) {
    CursorPublication publication;
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m || m->wrap_pending || m->cursor_col == 1) return;
    int64_t n = std::max(0, length);
    bool overflows = m->text_surface ? m->cursor_col + n - 1 > m->width
                                     : int64_t(m->cursor_col - 1) * text_geometry(*m).glyph_width + 8 * n > m->width;
    if (overflows) print_newline();
}

void print_bytes(const uint8_t* text, int32_t length, int32_t newline) {
    CursorPublication publication;
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m) return;
    if (length < 0 || !text) length = 0;
    // An empty item without a line end (PRINT "";) leaves the new line owed:
    // clearing it would let the next character overwrite the last column.
    if (m->wrap_pending && (length > 0 || newline)) {
        m->wrap_pending = 0;
        if (length > 0) print_newline();
    }
    bool auto_newline = false;
    for (int32_t i = 0; i < length; ++i) {
        // The image stays the same during PRINT: nothing here changes pages.
        TextGeometry g = text_geometry(*m);
        uint8_t b = text[i];
        bool last = i == length - 1;
        auto_newline = false;
        if (!text_output_state.control_chars_as_glyphs) {
            if (cursor_code(*m, g, b)) continue;
            if (b == 12) {
                clear_screen_default(*m);
                continue;
            }
            if (b == 7) {
                beep();
                continue;
            }
            if (b == 10 || b == 13) {
                print_newline();
                continue;
            }
            if (b == 9) {
                // Spaces up to the next multiple of 8; never more than 8, so
                // that a grid narrower than a tab stop cannot loop for ever.
                for (int spaces = 0; spaces < 8 && !m->wrap_pending; ++spaces) {
                    int32_t drawn_in = m->cursor_col;
                    auto_newline = put_char(*m, g, ' ', last, newline != 0);
                    if (drawn_in % 8 == 0) break;
                }
                continue;
            }
        }
        auto_newline = put_char(*m, g, b, last, newline != 0);
    }
    if (newline && !auto_newline) print_newline();
}

void print_fit_check(const StringDescriptor* text) { print_fit_check_length(text ? text->length : 0); }

void print_string(const StringDescriptor* text, int32_t newline) {
    if (text) print_bytes(text->data, text->length, newline);
    else print_bytes(nullptr, 0, newline);
}

void print_zone_tab() {
    CursorPublication publication;
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m) return;
    if (m->wrap_pending) {
        m->wrap_pending = 0;
        print_newline();
        return;
    }
    int32_t columns = text_geometry(*m).columns;
    const uint8_t space = ' ';
    for (int32_t i = 0; i <= columns; ++i) {
        print_bytes(&space, 1, 0);
        int32_t col = m->cursor_col;
        if (col == 1 || m->wrap_pending || col == columns) break;
        if ((col - 1) % 14 == 0 && col <= columns - 13) break;
    }
}

void print_at_pixel(int32_t x, int32_t y, const StringDescriptor* text, int32_t image, uint32_t passed) {
    if (error_pending()) return;
    if ((passed & 1) && !image_handle_valid(image)) return raise_error(error_invalid_handle);
    ScreenImage* m = (passed & 1) ? image_record(image) : write_image_record();
    if (!m || !m->pixels) return;
    if (m->text_surface) return raise_error(error_illegal_call);
    const int32_t gh = builtin_glyph_height(m->font);
    // Doubled and outline fonts have no glyph source on pixel screens, as for PRINT.
    if (gh == 0 || !text || y >= m->height || int64_t(y) + gh <= 0) return;
    // Glyphs wholly left of the image are skipped without a look.
    for (int64_t i = x < 0 ? -int64_t(x) / 8 : 0; i < text->length; ++i) {
        int64_t gx = int64_t(x) + 8 * i;
        if (gx >= m->width) break;
        draw_cell_pixels(*m, glyph_pixels(m->font, text->data[i]), gh, static_cast<int32_t>(gx), y);
    }
    announce_display_change();  // the cursor stays, so no publication announces it
}

int32_t pos() {
    ScreenImage* m = write_image_record();
    if (!m || error_pending()) return 0;
    return m->wrap_pending ? 1 : m->cursor_col;
}

int32_t csrlin() {
    ScreenImage* m = write_image_record();
    if (!m || error_pending()) return 0;
    if (!m->wrap_pending) return m->cursor_row;
    return m->cursor_row + 1 <= m->print_bottom_row ? m->cursor_row + 1 : m->print_bottom_row;
}
