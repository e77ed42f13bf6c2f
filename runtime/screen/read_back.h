// Character read-back: SCREEN(row, column) recognises the character in a
// text cell from the pixels of the read image, and POINT's pixel read.
//
// A cell is reduced to a set/clear pattern (colour 0 clear, anything else
// set) and looked up among the 256 glyphs of the screen's font; the first
// glyph that matches exactly wins. An all-clear cell is a space; a pattern
// that matches no glyph is a space too. Program thread only.
#pragma once

#include <cstdint>

// SCREEN(row, column[, colour flag]): the character code, or with a non-zero
// flag (passed mask bit 0) its colour: the first non-zero pixel in row-major
// order (1 for an all-clear cell, 0 when no glyph matches). Out-of-range
// cells and fonts other than 8, 14 and 16 raise error 5 and give 0.
uint32_t character_at(int32_t row, int32_t column, int32_t color_flag, uint32_t passed);

// The same answer found the plain way: the cell's pattern compared byte for
// byte with each glyph in turn. It serves images of 32-bit colour, and is the
// measure that the quick lookup is checked against.
uint32_t character_at_by_comparison(int32_t row, int32_t column, int32_t color_flag, uint32_t passed);

// Colour of pixel (x, y) of the read image: the stored byte AND the colour
// mask, or the 32-bit value; 0 outside the image.
uint32_t read_pixel(int32_t x, int32_t y);
