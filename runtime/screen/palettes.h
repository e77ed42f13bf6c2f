// Default palettes (0xRRGGBB, from the VGA BIOS's 6-bit levels) and the
// colour table of mode 10's blinking attributes.
#pragma once

#include <array>
#include <cstdint>

// 0-15 standard colours, 16-31 greys, 32-247 nine colour-wheel blocks of 24,
// 248-255 black.
extern const std::array<uint32_t, 256> vga256_palette;
// Entry i: red 0xAA*bit2 + 0x55*bit5, green 0xAA*bit1 + 0x55*bit4,
// blue 0xAA*bit0 + 0x55*bit3.
extern const std::array<uint32_t, 64> ega64_palette;
// Mode 10: two phases of nine colours; the presentation takes entry
// phase * 9 + palette[i + 4] for palette entries 0-3.
extern const std::array<uint32_t, 18> blink_table;

// Start-up copies with the alpha byte forced to 0xFF: what images get.
extern std::array<uint32_t, 256> vga256_colors;
extern std::array<uint32_t, 64> ega64_colors;
void load_palettes();
