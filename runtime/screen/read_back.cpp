#include "runtime/screen/read_back.h"

#include <cstring>

#include "runtime/core/statement.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/screen_image.h"

namespace {

constexpr int error_illegal_call = 5;
constexpr uint32_t space = 32;

// A cell pattern, one bit per pixel: rows 0-7 in low, rows 8-15 in high,
// row r at bits 8r, the leftmost pixel in the row's lowest bit.
struct Pattern {
    uint64_t low = 0, high = 0;
    bool operator==(const Pattern&) const = default;
};

constexpr uint64_t every_byte = 0x0101010101010101ull;
constexpr uint64_t low_seven_bits = 0x7F7F7F7F7F7F7F7Full;
constexpr uint64_t high_bits = 0x8080808080808080ull;

// The high bit of each byte that is not zero.
inline uint64_t nonzero_bytes(uint64_t v) { return (((v & low_seven_bits) + low_seven_bits) | v) & high_bits; }

// Eight byte flags (high bits) gathered into one byte, byte i to bit i.
inline uint64_t gather(uint64_t flags) { return ((flags >> 7) * 0x0102040810204080ull) >> 56; }

inline uint64_t load8(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Glyph patterns of one font in a small open-addressed table; the first of
// identical glyphs is the one kept, as the plain search would find it first.
struct GlyphIndex {
    static constexpr int size = 1024;
    Pattern keys[size];
    int16_t codes[size];
    bool built = false;

    static uint32_t slot(const Pattern& p) {
        return static_cast<uint32_t>(((p.low ^ (p.high * 0xC2B2AE3D27D4EB4Full)) * 0x9E3779B97F4A7C15ull) >> 54);
    }
    void build(uint32_t font) {
        std::fill(codes, codes + size, int16_t(-1));
        int32_t rows = builtin_glyph_height(font);
        for (int code = 0; code < 256; ++code) {
            const uint8_t* glyph = glyph_pixels(font, static_cast<uint8_t>(code));
            Pattern p;
            for (int r = 0; r < rows; ++r) {
                uint64_t bits = gather(nonzero_bytes(load8(glyph + r * 8)));
                (r < 8 ? p.low : p.high) |= bits << (8 * (r % 8));
            }
            if (p == Pattern{}) continue;
            uint32_t s = slot(p);
            while (codes[s] >= 0 && !(keys[s] == p)) s = (s + 1) % size;
            if (codes[s] < 0) {
                keys[s] = p;
                codes[s] = static_cast<int16_t>(code);
            }
        }
        built = true;
    }
    int find(const Pattern& p) const {
        for (uint32_t s = slot(p);; s = (s + 1) % size) {
            if (codes[s] < 0) return -1;
            if (keys[s] == p) return codes[s];
        }
    }
};

GlyphIndex glyph_index_8, glyph_index_14, glyph_index_16;

GlyphIndex& glyph_index(uint32_t font) {
    GlyphIndex& index = font == 8 ? glyph_index_8 : font == 14 ? glyph_index_14 : glyph_index_16;
    if (!index.built) index.build(font);
    return index;
}

// Checks the cell and the font; the read image or nullptr after raising error 5.
ScreenImage* cell_image(int32_t row, int32_t column, int32_t* glyph_height) {
    ScreenImage* m = read_image_record();
    if (!m) return nullptr;
    if (m->text_surface) {
        if (row < 1 || row > m->height || column < 1 || column > m->width) {
            raise_error(error_illegal_call);
            return nullptr;
        }
        return m;
    }
    int32_t gh = builtin_glyph_height(m->font);
    if (gh == 0 || row < 1 || row > m->height / gh || column < 1 || column > m->width / 8) {
        raise_error(error_illegal_call);
        return nullptr;
    }
    *glyph_height = gh;
    return m;
}

uint32_t text_cell(const ScreenImage& m, int32_t row, int32_t column, bool flag) {
    if (!m.pixels) return flag ? 0 : space;
    const uint8_t* cell = m.pixels + (size_t(row - 1) * m.width + (column - 1)) * 2;
    return flag ? cell[1] : cell[0];
}

}  // namespace

uint32_t read_pixel(int32_t x, int32_t y) {
    ScreenImage* m = read_image_record();
    if (!m || !m->pixels || m->text_surface || x < 0 || y < 0 || x >= m->width || y >= m->height) return 0;
    size_t at = size_t(y) * m->width + x;
    if (m->bytes_per_pixel == 4) {
        uint32_t v;
        std::memcpy(&v, m->pixels + at * 4, 4);
        return v;
    }
    return m->pixels[at] & m->color_mask;
}

uint32_t character_at_by_comparison(int32_t row, int32_t column, int32_t color_flag, uint32_t passed) {
    if (error_pending()) return 0;
    bool flag = (passed & 1) && color_flag != 0;
    int32_t gh = 0;
    ScreenImage* m = cell_image(row, column, &gh);
    if (!m) return 0;
    if (m->text_surface) return text_cell(*m, row, column, flag);
    uint8_t cell_pattern[128];
    uint32_t first_color = 0;
    bool any = false;
    int32_t x0 = (column - 1) * 8, y0 = (row - 1) * gh;
    for (int32_t y = 0; y < gh; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            uint32_t c = read_pixel(x0 + x, y0 + y);
            cell_pattern[y * 8 + x] = c ? 255 : 0;
            if (c && !any) {
                any = true;
                first_color = c;
            }
        }
    if (!any) return flag ? 1 : space;
    for (int code = 0; code < 256; ++code)
        if (std::memcmp(cell_pattern, glyph_pixels(m->font, static_cast<uint8_t>(code)), size_t(gh) * 8) == 0)
            return flag ? first_color : static_cast<uint32_t>(code);
    return flag ? 0 : space;
}

uint32_t character_at(int32_t row, int32_t column, int32_t color_flag, uint32_t passed) {
    if (error_pending()) return 0;
    ScreenImage* m = read_image_record();
    if (!m || m->bytes_per_pixel != 1 || !m->pixels)
        return character_at_by_comparison(row, column, color_flag, passed);
    bool flag = (passed & 1) && color_flag != 0;
    int32_t gh = 0;
    if (!cell_image(row, column, &gh)) return 0;
    // Eight pixels per step: each row becomes one byte of the pattern.
    const uint64_t mask8 = (m->color_mask & 0xFF) * every_byte;
    const uint8_t* p = m->pixels + size_t(row - 1) * gh * m->width + size_t(column - 1) * 8;
    Pattern pattern;
    uint64_t first_row = 0;
    const uint8_t* first_row_at = nullptr;
    for (int32_t r = 0; r < gh; ++r, p += m->width) {
        uint64_t flags = nonzero_bytes(load8(p) & mask8);
        if (flags && !first_row_at) {
            first_row = flags;
            first_row_at = p;
        }
        (r < 8 ? pattern.low : pattern.high) |= gather(flags) << (8 * (r % 8));
    }
    if (!first_row_at) return flag ? 1 : space;
    int code = glyph_index(m->font).find(pattern);
    if (code < 0) return flag ? 0 : space;
    if (!flag) return static_cast<uint32_t>(code);
    return first_row_at[__builtin_ctzll(first_row) / 8] & m->color_mask;
}
