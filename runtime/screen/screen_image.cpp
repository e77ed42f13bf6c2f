#include "runtime/screen/screen_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/core/statement.h"
#include "runtime/core/threads.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/palettes.h"

ImageStore images;

// Out of memory while growing the image table or the free list: fatal boxes
// "Critical Error #2" and "#3".
constexpr int image_table_growth_error = 502;
constexpr int free_list_growth_error = 503;

GraphicsStateBlock graphics_state_of(const ScreenImage& m) {
    return {m.clip_left,  m.clip_top,   m.clip_right,     m.clip_bottom,    m.view_origin_x,
            m.view_origin_y, m.pen_x,   m.pen_y,          m.coord_mode,     m.scale_x,
            m.scale_y,    m.scale_offset_x, m.scale_offset_y, m.world_x1,   m.world_y1,
            m.world_x2,   m.world_y2,   m.draw_angle,     m.draw_scale};
}

void set_graphics_state(ScreenImage& m, const GraphicsStateBlock& b) {
    m.clip_left = b.clip_left;
    m.clip_top = b.clip_top;
    m.clip_right = b.clip_right;
    m.clip_bottom = b.clip_bottom;
    m.view_origin_x = b.view_origin_x;
    m.view_origin_y = b.view_origin_y;
    m.pen_x = b.pen_x;
    m.pen_y = b.pen_y;
    m.coord_mode = b.coord_mode;
    m.scale_x = b.scale_x;
    m.scale_y = b.scale_y;
    m.scale_offset_x = b.scale_offset_x;
    m.scale_offset_y = b.scale_offset_y;
    m.world_x1 = b.world_x1;
    m.world_y1 = b.world_y1;
    m.world_x2 = b.world_x2;
    m.world_y2 = b.world_y2;
    m.draw_angle = b.draw_angle;
    m.draw_scale = b.draw_scale;
}

void reset_images() {
    for (int32_t h = 2; h < images.slots_used; ++h)
        if (image_handle_valid(h)) destroy_image(h);
    for (int32_t b = 0; b < images.block_count; ++b) delete[] images.blocks[b];
    images.block_count = 0;
    images.slots_used = 0;
    images.free_image_list.clear();
    images.free_image_list.reserve(image_table_growth);
    images.page_table.clear();
    images.write_image = images.read_image = 0;
    images.display_image = 0;
    images.active_page_number = 0;
    // Handles 0 and 1 are never handed out: 0 means no image.
    allocate_image_handle();
    allocate_image_handle();
    image_record(0)->valid = 0;
    image_record(1)->valid = 0;
}

ScreenImage* image_record(int32_t handle) {
    if (handle < 0 || handle >= images.slots_used) return nullptr;
    return &images.blocks[handle / image_table_growth][handle % image_table_growth];
}

bool image_handle_valid(int32_t handle) {
    ScreenImage* image = image_record(handle);
    return image && image->valid;
}

ScreenImage* write_image_record() { return image_record(images.write_image); }
ScreenImage* read_image_record() { return image_record(images.read_image); }
ScreenImage* display_image_record() { return image_record(images.display_image.load()); }

int32_t allocate_image_handle() {
    int32_t handle;
    if (!images.free_image_list.empty()) {
        handle = images.free_image_list.back();
        images.free_image_list.pop_back();
    } else {
        if (images.slots_used == images.block_count * image_table_growth) {
            ScreenImage* block = images.block_count < image_table_max_blocks
                                     ? new (std::nothrow) ScreenImage[image_table_growth]()
                                     : nullptr;
            if (!block) {
                raise_error(image_table_growth_error);  // a fatal box that ends the program
                return 0;
            }
            images.blocks[images.block_count++] = block;
        }
        handle = images.slots_used++;
    }
    ScreenImage* image = image_record(handle);
    *image = ScreenImage{};
    image->valid = 1;
    return handle;
}

void free_image(int32_t handle) {
    if (!image_handle_valid(handle)) return;
    // The memory-block lock facility is not part of this runtime; a record never carries one.
    *image_record(handle) = ScreenImage{};
    if (images.free_image_list.size() == images.free_image_list.capacity()) {
        size_t grown = images.free_image_list.capacity() + image_table_growth;
        // reserve would throw on exhaustion; check that the block can be had first.
        void* probe = std::malloc(grown * sizeof(int32_t));
        if (!probe) raise_error(free_list_growth_error);
        std::free(probe);
        images.free_image_list.reserve(grown);
    }
    images.free_image_list.push_back(handle);
}

void destroy_image(int32_t handle) {
    ScreenImage* image = image_record(handle);
    if (!image || !image->valid) return;
    if (image->image_flags & image_owns_pixels) std::free(image->pixels);
    if (image->image_flags & image_owns_palette) std::free(image->palette);
    free_image(handle);
}

namespace {

struct ModeDefaults {
    int32_t mode;
    uint8_t bits_per_pixel, bytes_per_pixel;
    uint32_t font, fg_color;
};

constexpr ModeDefaults mode_defaults[] = {
    {0, 16, 2, 16, 7},  {1, 2, 1, 8, 3},   {2, 1, 1, 8, 1},   {7, 4, 1, 8, 15},
    {8, 4, 1, 8, 15},   {9, 4, 1, 14, 15}, {10, 2, 1, 14, 3}, {11, 1, 1, 16, 1},
    {12, 4, 1, 16, 15}, {13, 8, 1, 8, 15}, {32, 32, 4, 16, 0xFFFFFFFF}, {256, 8, 1, 16, 15},
};

const ModeDefaults* defaults_of(int32_t mode) {
    for (const ModeDefaults& d : mode_defaults)
        if (d.mode == mode) return &d;
    return nullptr;
}

int32_t rows_for_font(const ScreenImage& image, uint32_t font) {
    if (image.text_surface) return image.height;
    int32_t glyph_height = font < font_handle_count ? font_height_table[font] : 0;
    return glyph_height > 0 ? image.height / glyph_height : 1;
}

}  // namespace

int32_t text_rows(const ScreenImage& image) { return rows_for_font(image, image.font); }

int32_t text_columns(const ScreenImage& image) {
    if (image.text_surface) return image.width;
    int32_t glyph_width = image.font < font_handle_count ? font_width_table[image.font] : 0;
    return glyph_width > 0 ? image.width / glyph_width : image.width;
}

void apply_default_palette(ScreenImage& image) {
    uint32_t* p = image.palette;
    if (!p) return;
    switch (image.mode) {
    case 13:
    case 256: std::copy(vga256_colors.begin(), vga256_colors.end(), p); break;
    case 1:
        p[0] = vga256_colors[0];
        p[1] = vga256_colors[3];
        p[2] = vga256_colors[5];
        p[3] = vga256_colors[7];
        break;
    case 2:
    case 11:
        p[0] = 0x00000000;
        p[1] = 0x00FFFFFF;
        break;
    case 9:
        for (int i = 0; i < 6; ++i) p[i] = ega64_colors[i];
        p[6] = ega64_colors[20];
        p[7] = ega64_colors[7];
        for (int i = 8; i < 16; ++i) p[i] = ega64_colors[56 + i - 8];
        break;
    case 10:
        // Indexes into the blink table, which the presentation turns into entries 0-3.
        p[4] = 0;
        p[5] = 4;
        p[6] = 6;
        p[7] = 8;
        break;
    default: std::copy(vga256_colors.begin(), vga256_colors.begin() + 16, p); break;
    }
}

int32_t create_image_header(uint8_t* memory, int32_t width, int32_t height, int32_t mode) {
    const ModeDefaults* d = defaults_of(mode);
    if (!d || width < 1 || height < 1 || width > UINT16_MAX || height > UINT16_MAX) return 0;
    int32_t handle = allocate_image_handle();
    if (!handle) return 0;
    ScreenImage& m = *image_record(handle);
    m.text_surface = mode == 0;
    m.width = static_cast<uint16_t>(width);
    m.height = static_cast<uint16_t>(height);
    m.bytes_per_pixel = d->bytes_per_pixel;
    m.bits_per_pixel = d->bits_per_pixel;
    m.color_mask = d->bits_per_pixel == 32 ? 0xFFFFFFFFu : (1u << d->bits_per_pixel) - 1;
    m.mode = static_cast<uint16_t>(mode);
    m.fg_color = d->fg_color;
    m.bg_color = mode == 32 ? 0xFF000000u : 0;
    m.draw_color = m.fg_color;
    m.font = d->font;
    if (mode == 0) {
        m.cursor_start_line = 4;
        m.cursor_stop_line = 4;
    }
    m.text_draw_mode = 3;
    m.transparent_color = mode == 32 ? 0 : -1;
    m.cursor_col = m.cursor_row = 1;
    m.print_top_row = 1;
    m.print_bottom_row = static_cast<int16_t>(std::max(1, rows_for_font(m, m.font) - 1));
    publish_cursor(m);
    m.draw_angle = 0;
    m.draw_scale = 1.0;
    if (!m.text_surface) {
        m.clip_right = width - 1;
        m.clip_bottom = height - 1;
        m.pen_x = static_cast<float>(width / 2);
        m.pen_y = static_cast<float>(height / 2);
        m.scale_x = m.scale_y = 1;
        m.world_x2 = static_cast<float>(width - 1);
        m.world_y2 = static_cast<float>(height - 1);
    }
    m.pixels = memory;
    if (mode != 32) {
        m.palette = static_cast<uint32_t*>(std::calloc(256, sizeof(uint32_t)));
        if (!m.palette) {
            free_image(handle);
            return 0;
        }
        m.image_flags |= image_owns_palette;
        apply_default_palette(m);
    }
    return handle;
}

int32_t create_image(int32_t width, int32_t height, int32_t mode) {
    int32_t handle = create_image_header(nullptr, width, height, mode);
    if (!handle) return 0;
    ScreenImage& m = *image_record(handle);
    size_t bytes = size_t(width) * size_t(height) * m.bytes_per_pixel;
    m.pixels = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!m.pixels) {
        destroy_image(handle);
        return 0;
    }
    m.image_flags |= image_owns_pixels;
    if (m.text_surface)
        for (size_t i = 0; i < bytes; i += 2) {
            m.pixels[i] = ' ';
            m.pixels[i + 1] = 7;
        }
    return handle;
}

void select_font(uint32_t font, ScreenImage& image) {
    image.font = font;
    image.cursor_col = image.cursor_row = 1;
    image.print_top_row = 1;
    image.print_bottom_row = static_cast<int16_t>(std::max(1, rows_for_font(image, font) - 1));
    publish_cursor(image);
}

int32_t page_image(int32_t page) {
    if (page < 0 || images.page_table.empty()) return 0;
    if (static_cast<size_t>(page) >= images.page_table.size()) images.page_table.resize(size_t(page) + 1, 0);
    if (images.page_table[page] != 0) return images.page_table[page];
    ScreenImage page0 = *image_record(images.page_table[0]);
    int32_t handle = create_image(page0.width, page0.height, page0.mode);
    if (!handle) return 0;
    ScreenImage& m = *image_record(handle);
    if (page0.mode != 32) {
        std::free(m.palette);
        m.palette = page0.palette;
        m.image_flags &= ~image_owns_palette;
    }
    m.image_flags |= image_is_page;
    select_font(page0.font, m);
    images.page_table[page] = handle;
    return handle;
}

void reset_page_colors() {
    ScreenImage* m = write_image_record();
    if (!m) return;
    switch (m->mode) {
    case 0: m->fg_color = 7; m->bg_color = 0; break;
    case 1:
    case 10: m->fg_color = 3; m->bg_color = 0; break;
    case 2:
    case 11: m->fg_color = 1; m->bg_color = 0; break;
    case 32: m->fg_color = 0xFFFFFFFF; m->bg_color = 0xFF000000; break;
    default: m->fg_color = 15; m->bg_color = 0; break;
    }
    m->draw_color = m->fg_color;
}

namespace {

struct DisplayChanges {
    bool noted = false;
    uint32_t announced = 0;
};
DisplayChanges display_changes;  // program thread only

}  // namespace

void note_display_change() { display_changes.noted = true; }

void announce_display_change() {
    if (!display_changes.noted) return;
    display_changes.noted = false;
    ++display_changes.announced;
    wake_main_loop();
}

uint32_t announced_display_changes() { return display_changes.announced; }

void publish_cursor(ScreenImage& image) {
    uint64_t packed = static_cast<uint16_t>(image.cursor_col) | uint64_t{static_cast<uint16_t>(image.cursor_row)} << 16 |
                      uint64_t{image.wrap_pending} << 32 | uint64_t{image.cursor_visible} << 40 |
                      uint64_t{image.cursor_start_line} << 48 | uint64_t{image.cursor_stop_line} << 56;
    constexpr uint64_t visible_bits = uint64_t{0xFF} << 40;
    std::atomic_ref<uint64_t> published(image.published_cursor);  // the program thread alone writes it
    uint64_t was = published.load(std::memory_order_relaxed);
    published.store(packed, std::memory_order_relaxed);
    if (was != packed && ((was | packed) & visible_bits) != 0) note_display_change();
}

void publish_cursors() {
    if (ScreenImage* image = write_image_record()) publish_cursor(*image);
    for (int32_t handle : images.page_table)
        if (ScreenImage* page = image_record(handle); page && page->valid) publish_cursor(*page);
    announce_display_change();
}

PublishedCursor published_cursor_of(const ScreenImage& image) {
    uint64_t packed = std::atomic_ref<uint64_t>(const_cast<uint64_t&>(image.published_cursor)).load(std::memory_order_relaxed);
    PublishedCursor cursor;
    cursor.col = static_cast<int16_t>(packed & 0xFFFF);
    cursor.row = static_cast<int16_t>((packed >> 16) & 0xFFFF);
    cursor.wrap_pending = static_cast<uint8_t>(packed >> 32);
    cursor.visible = static_cast<uint8_t>(packed >> 40);
    cursor.start_line = static_cast<uint8_t>(packed >> 48);
    cursor.stop_line = static_cast<uint8_t>(packed >> 56);
    return cursor;
}
