#include "runtime/screen/fonts.h"

uint8_t font8x8[256 * 64];
uint8_t font8x16[256 * 128];

int32_t font_height_table[font_handle_count];
int32_t font_width_table[font_handle_count];
int32_t font_flags_table[font_handle_count];

void fill_font_tables() {
    struct Entry {
        int32_t handle, height, width;
    };
    constexpr Entry builtin[] = {{8, 8, 8}, {14, 14, 8}, {16, 16, 8}, {9, 8, 16}, {15, 14, 16}, {17, 16, 16}};
    for (const Entry& e : builtin) {
        font_height_table[e.handle] = e.height;
        font_width_table[e.handle] = e.width;
        font_flags_table[e.handle] = builtin_font_flag;
    }
}

static void expand(const uint8_t* packed, uint8_t* out, int rows) {
    for (int i = 0; i < 256 * rows; ++i)
        for (int bit = 0; bit < 8; ++bit) out[i * 8 + bit] = (packed[i] & (0x80 >> bit)) ? 255 : 0;
}

void load_fonts() {
    expand(packed_font8x8, font8x8, 8);
    expand(packed_font8x16, font8x16, 16);
}

const uint8_t* glyph_pixels(uint32_t font, uint8_t code) {
    switch (font) {
    case 8: return font8x8 + code * 64;
    case 16: return font8x16 + code * 128;
    case 14: return font8x16 + code * 128 + 8;  // the first and last rows are dropped
    default: return nullptr;
    }
}

int32_t builtin_glyph_height(uint32_t font) {
    return (font == 8 || font == 14 || font == 16) ? static_cast<int32_t>(font) : 0;
}
