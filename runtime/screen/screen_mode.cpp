#include "runtime/screen/screen_mode.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/threads.h"
#include "runtime/core/statement.h"
#include "runtime/platform/system.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/palettes.h"
#include "runtime/screen/present.h"
#include "runtime/screen/screen_image.h"

ScreenModeState screen_mode_state;

namespace {

constexpr int error_illegal_call = 5;
constexpr int error_invalid_handle = 258;
constexpr int error_out_of_memory = 7;
// A new screen that cannot be allocated leaves no screen to go on with: the
// fatal "Out of memory" box ends the program cleanly.
constexpr int error_fatal_out_of_memory = 257;
// Page numbers index a table of pages; beyond this a page could only be the
// end of the machine's memory.
constexpr int32_t highest_page = 65535;

// True when page 0 is an image the program adopted by handle (SCREEN -h):
// a mode change must leave it alive.
bool page0_adopted = false;

struct TextGrid {
    int32_t columns = 0, rows = 0;
};

TextGrid grid_of(const ScreenImage* image) {
    if (!image) return {};
    return {text_columns(*image), text_rows(*image)};
}

int32_t font_for_rows(int32_t rows) { return rows == 50 ? 8 : rows == 43 ? 14 : 16; }

// Columns, rows and font of the text screen that SCREEN 0 builds next.
struct TextScreenShape {
    int32_t columns, rows, font;
};

TextScreenShape text_screen_shape(TextGrid old) {
    ScreenModeState& s = screen_mode_state;
    TextScreenShape shape{80, 25, 16};
    bool columns = s.pending_text_columns != -1, rows = s.pending_text_rows != -1, font = s.pending_text_font != -1;
    if (columns && rows && font) {
        shape = {s.pending_text_columns, s.pending_text_rows, s.pending_text_font};
    } else if (!columns && !rows && !font) {
        if (old.columns == 80 && (old.rows == 50 || old.rows == 43)) shape = {80, old.rows, 8};
        else if (old.columns == 40 && (old.rows == 50 || old.rows == 43)) shape = {40, old.rows, 9};
        else if (old.columns == 40 && old.rows == 25) shape = {40, 25, 17};
    } else {
        shape.columns = columns ? s.pending_text_columns : old.columns == 40 ? 40 : 80;
        shape.rows = rows ? s.pending_text_rows : (old.rows == 43 || old.rows == 50) ? old.rows : 25;
        shape.font = font ? s.pending_text_font : font_for_rows(shape.rows);
        if (!font && shape.columns == 40) shape.font += 1;  // the doubled-width font
    }
    s.pending_text_columns = s.pending_text_rows = s.pending_text_font = -1;
    if (shape.columns == 40 && shape.rows == 25) shape.font = 17;
    if (shape.columns == 80 && shape.rows == 25) shape.font = 16;
    shape.columns = std::clamp(shape.columns, 1, 255);
    shape.rows = std::clamp(shape.rows, 1, 255);
    if (shape.font < 0 || shape.font >= font_handle_count || font_height_table[shape.font] == 0) shape.font = 16;
    return shape;
}

// The eight text pages of mode 0; those that fit lie in the 64 KB at 0xB8000.
bool build_text_screen(TextGrid old) {
    TextScreenShape shape = text_screen_shape(old);
    int32_t page_bytes = shape.columns * shape.rows * 2;
    if (shape.columns == 40 && shape.rows == 25) page_bytes = 2048;
    if (shape.columns == 80 && shape.rows == 25) page_bytes = 4096;
    int32_t pages_in_memory = std::min(8, 65536 / page_bytes);
    uint8_t* text_memory = emulated_memory + text_pages_offset;
    for (int32_t i = 0; i < 65536; i += 2) {
        text_memory[i] = ' ';
        text_memory[i + 1] = 7;
    }
    images.page_table.assign(8, 0);
    for (int32_t n = 0; n < 8; ++n) {
        int32_t handle = n < pages_in_memory
                             ? create_image_header(text_memory + n * page_bytes, shape.columns, shape.rows, 0)
                             : create_image(shape.columns, shape.rows, 0);
        if (!handle) return false;
        ScreenImage& page = *image_record(handle);
        select_font(static_cast<uint32_t>(shape.font), page);
        page.image_flags |= image_is_page;
        images.page_table[n] = handle;
    }
    return true;
}

// Frees every page of the current screen except an adopted image, which stays alive.
void free_screen_pages(int32_t keep) {
    for (size_t n = 1; n < images.page_table.size(); ++n) {
        int32_t handle = images.page_table[n];
        if (handle != 0 && handle != keep) destroy_image(handle);
    }
    if (!images.page_table.empty() && images.page_table[0] != 0) {
        int32_t handle = images.page_table[0];
        if (page0_adopted || handle == keep) image_record(handle)->image_flags &= ~image_is_page;
        else destroy_image(handle);
    }
    images.page_table.resize(1);
    images.page_table[0] = 0;
    page0_adopted = false;
}

// Builds page 0 of a new mode (or adopts an image); false when out of memory.
bool build_screen(int32_t mode, int32_t adopt, TextGrid old) {
    int32_t handle = 0;
    if (adopt) {
        handle = adopt;
        page0_adopted = true;
    } else if (mode == 0) {
        if (!build_text_screen(old)) return false;
        handle = images.page_table[0];
    } else if (mode == 13) {
        handle = create_image_header(emulated_memory + mode13_pixels_offset, 320, 200, 13);
        if (handle) std::memset(emulated_memory + mode13_pixels_offset, 0, 320 * 200);
    } else {
        int32_t width = (mode == 7 || mode == 1) ? 320 : 640;
        int32_t height = (mode >= 11) ? 480 : (mode >= 9) ? 350 : 200;
        handle = create_image(width, height, mode);
        if (handle && old.columns == 80 && ((height == 480 && old.rows == 60) || (height == 350 && old.rows == 43)))
            select_font(8, *image_record(handle));
    }
    if (!handle) return false;
    image_record(handle)->image_flags |= image_is_page;
    images.page_table[0] = handle;
    images.write_image = images.read_image = handle;
    images.display_image = handle;
    return true;
}

// The colour and print-area reset of a page switch, on the write image.
void reset_write_page() {
    reset_page_colors();
    ScreenImage& m = *write_image_record();
    m.print_top_row = 1;
    int32_t rows = text_rows(m);
    if (m.cursor_row > rows) m.cursor_row = 1;
    m.print_bottom_row = static_cast<int16_t>(std::max(1, rows - 1));
    publish_cursor(m);
}

// The presentation answers at its next frame, up to some 32 ms away; the
// program thread sleeps a millisecond at a time meanwhile rather than
// yielding in a loop, so the wait costs no processor.
void wait_for_frozen_presentation() {
    int32_t idle = 0;
    control.presentation_freeze.compare_exchange_strong(idle, 1);
    wake_main_loop();
    while (control.presentation_freeze.load() != 2) {
        if (control.exit_flag.load()) stop_program_thread();
        sleep_ms(1);
    }
}

}  // namespace

void set_screen_mode(int32_t mode, int32_t, int32_t active_page, int32_t visual_page, int32_t, uint32_t passed) {
    if (error_pending()) return;
    bool mode_given = passed & 1, active_given = passed & 4, visual_given = passed & 12;
    if (!(mode_given && mode == 0 && !(passed & 12))) screen_mode_state.screen_untouched = 0;
    if (!(passed & 8)) visual_page = active_page;  // the visual page follows the active page

    int32_t current = images.page_table.empty() ? 0 : images.page_table[0];
    bool mode_change = false;
    int32_t adopt = 0;
    if (mode_given) {
        if (mode < 0) {
            int32_t handle = mode == INT_MIN ? 0 : -mode;
            if (!image_handle_valid(handle)) return raise_error(error_invalid_handle);
            if (handle != current) {
                mode_change = true;
                adopt = handle;
            }
        } else {
            if ((mode >= 3 && mode <= 6) || mode > 13) return raise_error(error_illegal_call);
            const ScreenModeState& s = screen_mode_state;
            mode_change = current == 0 || image_record(current)->mode != mode || s.pending_text_columns != -1 ||
                          s.pending_text_rows != -1 || s.pending_text_font != -1;
        }
    }
    if (active_given && (active_page < 0 || active_page > highest_page)) return raise_error(error_illegal_call);
    if (visual_given && (visual_page < 0 || visual_page > highest_page)) return raise_error(error_illegal_call);

    bool active_due = false, visual_due = false;
    if (!mode_change) {
        if (active_given) {
            int32_t handle = page_image(active_page);
            if (!handle) return raise_error(error_out_of_memory);
            active_due = handle != images.write_image || handle != images.read_image;
        }
        if (visual_given) {
            int32_t handle = page_image(visual_page);
            if (!handle) return raise_error(error_out_of_memory);
            visual_due = handle != images.display_image.load();
        }
    } else {
        active_due = active_given;
        visual_due = visual_given;
    }
    if (!mode_change && !active_due && !visual_due) return;

    bool handshake = control.autodisplay.load() != 0 && control.threads_started.load() == 1;
    if (handshake && mode_change) wait_for_frozen_presentation();
    invalidate_presentation();

    if (mode_change) {
        TextGrid old = grid_of(image_record(current));
        free_screen_pages(adopt);
        if (!build_screen(adopt ? image_record(adopt)->mode : mode, adopt, old)) {
            raise_error(error_fatal_out_of_memory);
            if (handshake) control.presentation_freeze = 0;
            return;
        }
        ScreenImage& m = *write_image_record();
        m.draw_angle = 0;
        m.draw_scale = 1.0;
        images.active_page_number = 0;
    }
    if (active_due) {
        int32_t handle = page_image(active_page);
        int32_t previous = images.write_image;
        if (!handle) {
            raise_error(error_out_of_memory);
        } else {
            images.write_image = images.read_image = handle;
            if (handle != previous) {
                reset_write_page();
                ScreenImage& m = *write_image_record();
                ScreenImage* before = image_record(previous);
                if (active_page != images.active_page_number && !m.text_surface && before && before->valid)
                    set_graphics_state(m, graphics_state_of(*before));
            }
            images.active_page_number = active_page;
        }
    }
    if (visual_due) {
        int32_t handle = page_image(visual_page);
        if (!handle) {
            raise_error(error_out_of_memory);
        } else if (handle != images.display_image.load()) {
            images.display_image = handle;
            reset_write_page();
        }
    }
    if (handshake) control.presentation_freeze = 0;
}

namespace {

// WIDTH on a pixel screen: the built-in font whose glyphs divide the image
// into the wanted grid (all are 8 pixels wide), or 0 when none does.
uint32_t font_for_grid(const ScreenImage& m, int32_t columns, int32_t rows) {
    if (columns != m.width / 8) return 0;
    for (uint32_t font : {16u, 14u, 8u})
        if (m.height / builtin_glyph_height(font) == rows) return font;
    return 0;
}

}  // namespace

void width_statement(int32_t columns, int32_t rows, uint32_t passed) {
    if (error_pending()) return;
    ScreenImage* m = write_image_record();
    bool columns_given = passed & 1, rows_given = passed & 2;
    if (!m || !(columns_given || rows_given)) return;
    if (m->text_surface) {
        if ((columns_given && columns != 40 && columns != 80) ||
            (rows_given && rows != 25 && rows != 43 && rows != 50))
            return raise_error(error_illegal_call);
        // Only what is given is recorded: SCREEN 0 takes the rest from the
        // grid it replaces. Both given also fix the font (doubled for 40).
        ScreenModeState& s = screen_mode_state;
        if (columns_given) s.pending_text_columns = columns;
        if (rows_given) s.pending_text_rows = rows;
        if (columns_given && rows_given) s.pending_text_font = font_for_rows(rows) + (columns == 40 ? 1 : 0);
        set_screen_mode(0, 0, 0, 0, 0, 1);
        return;
    }
    uint32_t font = font_for_grid(*m, columns_given ? columns : text_columns(*m), rows_given ? rows : text_rows(*m));
    if (font == 0) return raise_error(error_illegal_call);
    // The pages of a screen share one grid, as a new page takes page 0's font.
    auto apply = [font](ScreenImage& image) {
        select_font(font, image);
        image.wrap_pending = 0;  // the cursor went home
        publish_cursor(image);
    };
    if (!(m->image_flags & image_is_page)) return apply(*m);
    for (int32_t handle : images.page_table)
        if (ScreenImage* page = image_record(handle); page && page->valid) apply(*page);
}

void screen_start_tables() {
    fill_font_tables();
    clear_emulated_memory();
}

void reset_screen_state() {
    reset_images();
    page0_adopted = false;
    screen_mode_state = ScreenModeState{};
}

void screen_start() {
    load_palettes();
    load_fonts();
    reset_screen_state();
    set_screen_mode(0, 0, 0, 0, 0, 1);
    screen_mode_state.screen_untouched = 1;
}
