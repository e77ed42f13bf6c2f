#include "runtime/screen/palettes.h"

#include <array>
#include <cstddef>

namespace {

// 6-bit DAC level to 8 bits: round(v * 255 / 63).
constexpr uint32_t level(uint32_t v) { return (v * 255 * 2 + 63) / 126; }
constexpr uint32_t rgb6(uint32_t r, uint32_t g, uint32_t b) { return level(r) << 16 | level(g) << 8 | level(b); }

constexpr std::array<uint32_t, 256> make_vga256() {
    std::array<uint32_t, 256> p{};
    constexpr uint8_t standard[16][3] = {{0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {0, 42, 42},
                                         {42, 0, 0},   {42, 0, 42},  {42, 21, 0},  {42, 42, 42},
                                         {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
                                         {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63}};
    for (int i = 0; i < 16; ++i) p[i] = rgb6(standard[i][0], standard[i][1], standard[i][2]);
    constexpr uint8_t greys[16] = {0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63};
    for (int i = 0; i < 16; ++i) p[16 + i] = rgb6(greys[i], greys[i], greys[i]);
    // Each block runs round the colour wheel through its levels lo, m1, m2, m3, hi.
    constexpr uint8_t blocks[9][5] = {{0, 16, 31, 47, 63},   {31, 39, 47, 55, 63}, {45, 49, 54, 58, 63},
                                      {0, 7, 14, 21, 28},    {14, 17, 21, 24, 28}, {20, 22, 24, 26, 28},
                                      {0, 4, 8, 12, 16},     {8, 10, 12, 14, 16},  {11, 12, 13, 15, 16}};
    // Level index (0 lo, 1 m1, 2 m2, 3 m3, 4 hi) of red, green, blue for the 24 steps.
    constexpr uint8_t wheel[24][3] = {{0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {3, 0, 4}, {4, 0, 4}, {4, 0, 3},
                                      {4, 0, 2}, {4, 0, 1}, {4, 0, 0}, {4, 1, 0}, {4, 2, 0}, {4, 3, 0},
                                      {4, 4, 0}, {3, 4, 0}, {2, 4, 0}, {1, 4, 0}, {0, 4, 0}, {0, 4, 1},
                                      {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 3, 4}, {0, 2, 4}, {0, 1, 4}};
    for (int b = 0; b < 9; ++b)
        for (int s = 0; s < 24; ++s)
            p[32 + b * 24 + s] = rgb6(blocks[b][wheel[s][0]], blocks[b][wheel[s][1]], blocks[b][wheel[s][2]]);
    return p;  // 248-255 stay black
}

constexpr std::array<uint32_t, 64> make_ega64() {
    std::array<uint32_t, 64> p{};
    for (uint32_t i = 0; i < 64; ++i) {
        uint32_t r = 0xAA * (i >> 2 & 1) + 0x55 * (i >> 5 & 1);
        uint32_t g = 0xAA * (i >> 1 & 1) + 0x55 * (i >> 4 & 1);
        uint32_t b = 0xAA * (i & 1) + 0x55 * (i >> 3 & 1);
        p[i] = r << 16 | g << 8 | b;
    }
    return p;
}

}  // namespace

constexpr std::array<uint32_t, 256> vga256_palette = make_vga256();
constexpr std::array<uint32_t, 64> ega64_palette = make_ega64();
static_assert(vga256_palette[44] == 0xFFFF00 && vga256_palette[30] == 0xE3E3E3 && vga256_palette[41] == 0xFF4100);
static_assert(ega64_palette[6] == 0xAAAA00 && ega64_palette[20] == 0xAA5500);

constexpr std::array<uint32_t, 18> blink_table = {0x000000, 0x000000, 0x000000, 0x808080, 0x808080, 0x808080,
                                                  0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFFFF,
                                                  0x000000, 0x808080, 0xFFFFFF, 0x000000, 0x808080, 0xFFFFFF};

std::array<uint32_t, 256> vga256_colors;
std::array<uint32_t, 64> ega64_colors;

void load_palettes() {
    for (std::size_t i = 0; i < vga256_colors.size(); ++i) vga256_colors[i] = vga256_palette[i] | 0xFF000000u;
    for (std::size_t i = 0; i < ega64_colors.size(); ++i) ega64_colors[i] = ega64_palette[i] | 0xFF000000u;
}
