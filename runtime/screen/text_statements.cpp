// COLOR, LOCATE, CLS and VIEW PRINT.
#include <cstring>

#include "runtime/core/statement.h"
#include "runtime/screen/palettes.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_grid.h"
#include "runtime/screen/text_output.h"

namespace {

constexpr int error_illegal_call = 5;

struct ColorRule {
    int32_t mode;
    uint32_t fg_max, bg_max;  // inclusive
};

// Modes 10, 9, 7, 8, 2 and 1 take the background as a palette change.
constexpr ColorRule color_rules[] = {
    {13, 255, 255}, {256, 255, 255}, {12, 15, 15}, {32, UINT32_MAX, UINT32_MAX}, {11, 1, 1}, {10, 3, 8},
    {9, 15, 63},    {7, 15, 15},     {8, 15, 15},  {2, 1, 15},                   {1, 15, UINT32_MAX}, {0, 31, 15},
};

const ColorRule* color_rule(int32_t mode) {
    for (const ColorRule& r : color_rules)
        if (r.mode == mode) return &r;
    return nullptr;
}

}  // namespace

void fill_pixel_box(ScreenImage& m, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t color) {
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::min<int32_t>(x1, m.width);
    y1 = std::min<int32_t>(y1, m.height);
    if (!m.pixels || x0 >= x1 || y0 >= y1) return;
    note_display_change();
    for (int32_t y = y0; y < y1; ++y) {
        if (m.bytes_per_pixel == 4) {
            uint32_t* row = reinterpret_cast<uint32_t*>(m.pixels) + size_t(y) * m.width;
            std::fill(row + x0, row + x1, color);
        } else {
            std::memset(m.pixels + size_t(y) * m.width + x0, static_cast<int>(color & m.color_mask), x1 - x0);
        }
    }
}

void fill_text_rows(ScreenImage& m, int32_t row0, int32_t row1, uint8_t attribute) {
    row0 = std::max(1, row0);
    row1 = std::min<int32_t>(row1, m.height);
    if (!m.pixels) return;
    note_display_change();
    for (int32_t r = row0; r <= row1; ++r) {
        uint8_t* cell = m.pixels + size_t(r - 1) * m.width * 2;
        for (int32_t c = 0; c < m.width; ++c) {
            cell[c * 2] = ' ';
            cell[c * 2 + 1] = attribute;
        }
    }
}

namespace {

// The clearing of CLS: method -1 is CLS without a method.
void clear_with(ScreenImage& m, int32_t method, uint32_t color) {
    m.cursor_row = m.print_top_row;
    m.cursor_col = 1;
    // The cursor has left the last column: no new line is owed any more (a
    // wrap still pending would put the first output after CLS on the second
    // row, and CSRLIN would read 2 right after the cursor went home).
    m.wrap_pending = 0;
    m.draw_angle = 0;
    m.draw_scale = 1.0;
    if (m.text_surface) {
        uint8_t attribute = text_attribute(m.fg_color, color);
        if (method == 0) fill_text_rows(m, 1, m.height, attribute);
        if (method == 2 || method == -1) fill_text_rows(m, m.print_top_row, m.print_bottom_row, attribute);
        if (method == -1) fill_text_rows(m, m.height, m.height, attribute);
        return;
    }
    bool viewport = m.coord_mode != 0;
    if (method == 2) {
        TextGeometry g = text_geometry(m);
        fill_pixel_box(m, 0, (m.print_top_row - 1) * g.glyph_height, m.width, m.print_bottom_row * g.glyph_height, color);
        return;
    }
    if (viewport && method != 0)
        fill_pixel_box(m, m.clip_left, m.clip_top, m.clip_right + 1, m.clip_bottom + 1, color);
    else
        fill_pixel_box(m, 0, 0, m.width, m.height, color);
    float x = static_cast<float>((m.clip_right - m.clip_left + 1) / 2);
    float y = static_cast<float>((m.clip_bottom - m.clip_top + 1) / 2);
    if (m.coord_mode == 2) {
        if (m.scale_x != 0) x = x / m.scale_x + m.scale_offset_x;
        if (m.scale_y != 0) y = y / m.scale_y + m.scale_offset_y;
    }
    m.pen_x = x;
    m.pen_y = y;
}

}  // namespace

void clear_screen_default(ScreenImage& m) { clear_with(m, -1, m.bg_color); }

void cls_statement(int32_t method, uint32_t color, uint32_t passed) {
    CursorPublication publication;
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m) return;
    bool method_given = passed & 1, color_given = passed & 2;
    if (color_given && m->bytes_per_pixel != 4 && color > m->color_mask) return raise_error(error_illegal_call);
    if (method_given && (method < 0 || method > 2)) return raise_error(error_illegal_call);
    clear_with(*m, method_given ? method : -1, color_given ? color : m->bg_color);
}

void color_statement(int32_t fg_value, int32_t bg_value, int32_t, uint32_t passed) {
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m || (passed & 7) == 0) return;
    uint32_t fg = static_cast<uint32_t>(fg_value), bg = static_cast<uint32_t>(bg_value);
    bool fg_given = passed & 1, bg_given = passed & 2, border_given = passed & 4;
    const ColorRule* rule = color_rule(m->mode);
    if (!rule) return raise_error(error_illegal_call);
    if ((border_given && m->mode != 0) || (fg_given && fg > rule->fg_max) || (bg_given && bg > rule->bg_max))
        return raise_error(error_illegal_call);
    uint32_t* palette = m->palette;
    // The entries COLOR may set: a change of any of them changes the picture.
    constexpr int touched_entries = 5;
    uint32_t entries_before[touched_entries] = {};
    if (palette) std::copy(palette, palette + touched_entries, entries_before);
    switch (m->mode) {
    case 10:
        if (fg_given) m->fg_color = fg;
        if (bg_given && palette) palette[4] = bg;  // an index into the blink table
        break;
    case 9:
        if (fg_given) m->fg_color = fg;
        if (bg_given && palette) palette[0] = ega64_colors[bg];
        break;
    case 7:
    case 8:
    case 2:
        if (fg_given) m->fg_color = fg;
        if (bg_given && palette) palette[0] = vga256_colors[bg];
        break;
    case 1:
        if (fg_given && palette) palette[0] = vga256_colors[fg];
        if (bg_given && palette) {
            const int odd[3] = {3, 5, 7}, even[3] = {2, 4, 6};
            for (int i = 0; i < 3; ++i) palette[1 + i] = vga256_colors[(bg & 1) ? odd[i] : even[i]];
        }
        break;
    case 0:
        if (fg_given) m->fg_color = fg;
        if (bg_given) m->bg_color = bg & 7;
        break;
    default:
        if (fg_given) m->fg_color = fg;
        if (bg_given) m->bg_color = bg;
        break;
    }
    if (palette && !std::equal(palette, palette + touched_entries, entries_before)) note_display_change();
    announce_display_change();
}

namespace {

// The start-up text screen, never touched by the program, may still become
// 80 x 50 for a LOCATE below row 25; its first screenful and colours stay.
void grow_untouched_text_screen() {
    ScreenImage& before = *write_image_record();
    uint8_t cells[4000];
    std::memcpy(cells, before.pixels, std::min<size_t>(sizeof cells, size_t(before.width) * before.height * 2));
    uint32_t fg = before.fg_color, bg = before.bg_color;
    screen_mode_state.screen_untouched = 0;
    screen_mode_state.pending_text_columns = 80;
    screen_mode_state.pending_text_rows = 50;
    screen_mode_state.pending_text_font = 8;
    set_screen_mode(0, 0, 0, 0, 0, 1);
    ScreenImage& after = *write_image_record();
    std::memcpy(after.pixels, cells, sizeof cells);
    after.fg_color = fg;
    after.bg_color = bg;
}

}  // namespace

void locate_statement(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop, uint32_t passed) {
    CursorPublication publication;
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m) return;
    bool row_given = passed & 1, col_given = passed & 2;
    TextGeometry g = text_geometry(*m);
    int32_t rows = m->text_surface ? m->height : g.rows;
    int32_t columns = m->text_surface ? m->width : (m->font < font_handle_count && font_width_table[m->font] == 0)
                                                       ? m->width
                                                       : g.columns;
    bool grow = false;
    if (row_given) {
        if (row < m->print_top_row) return raise_error(error_illegal_call);
        if (row > m->print_bottom_row && row != rows) {
            bool untouched = screen_mode_state.screen_untouched && m->text_surface && row <= 50 &&
                             m->width == 80 && m->height == 25;
            if (!untouched) return raise_error(error_illegal_call);
            grow = true;
        }
    }
    if ((col_given && (column < 1 || column > columns)) || ((passed & 4) && (cursor < 0 || cursor > 1)) ||
        ((passed & 8) && (start < 0 || start > 31)) || ((passed & 16) && (stop < 0 || stop > 31)))
        return raise_error(error_illegal_call);
    if (grow) {
        grow_untouched_text_screen();
        m = write_image_record();
    }
    if (row_given) {
        m->cursor_row = static_cast<int16_t>(row);
        m->wrap_pending = 0;
    }
    if (col_given) {
        m->cursor_col = static_cast<int16_t>(column);
        m->wrap_pending = 0;
    }
    if (!row_given && !col_given && m->wrap_pending) m->wrap_pending = 2;
    if (passed & 28) {
        auto shape = [&](ScreenImage& page) {
            if (passed & 4) page.cursor_visible = cursor != 0;
            if (passed & 8) page.cursor_start_line = static_cast<uint8_t>(start);
            if (passed & 16) page.cursor_stop_line = static_cast<uint8_t>(stop);
        };
        shape(*m);
        if (m->image_flags & image_is_page)
            for (int32_t handle : images.page_table)
                if (ScreenImage* page = image_record(handle); page && page->valid) shape(*page);
    }
}

void view_print_statement(int32_t top, int32_t bottom, uint32_t passed) {
    CursorPublication publication;
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    if (!m) return;
    int32_t rows = text_geometry(*m).rows;
    if ((passed & 3) == 0) {
        top = 1;
        bottom = rows;
    } else if ((passed & 3) != 3 || top < 1 || top > bottom || bottom > rows) {
        return raise_error(error_illegal_call);
    }
    m->print_top_row = static_cast<int16_t>(top);
    m->print_bottom_row = static_cast<int16_t>(bottom);
    m->cursor_row = m->print_top_row;
    m->cursor_col = 1;
    m->wrap_pending = 0;
}
