// Text statements on the write image: COLOR, LOCATE, CLS, PRINT and the glyph
// drawing behind them, printing at a pixel, VIEW PRINT, CSRLIN and POS.
//
// On a pixel screen a character exists only as the pixels of its glyph
// (mode 13: 40x25 cells of 8x8; mode 12: 80x30 cells of 8x16); on the text
// screen of mode 0 a cell is two bytes: character, then attribute
// ((fg AND 16) x 8) + ((bg AND 7) x 16) + (fg AND 15).
//
// Every statement returns at once while an error is pending; a bad argument
// raises error 5 and changes nothing. Program thread only.
#pragma once

#include <cstdint>

struct StringDescriptor;

struct TextOutputState {
    // While set, PRINT draws control codes as glyphs too.
    int32_t control_chars_as_glyphs = 0;
};
extern TextOutputState text_output_state;

// COLOR fg, bg, border. Passed mask: bit 0 fg, bit 1 bg, bit 2 border. The
// values count as unsigned, so a negative one fails every upper bound.
void color_statement(int32_t fg, int32_t bg, int32_t border, uint32_t passed);

// LOCATE row, column, cursor, start, stop. Passed mask bits 0-4 in that order.
void locate_statement(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop, uint32_t passed);

// CLS method, colour. Passed mask: bit 0 method, bit 1 colour.
void cls_statement(int32_t method, uint32_t color, uint32_t passed);

// Before each string item of a PRINT list: a string that would not fit on
// the rest of the line starts on a new one.
void print_fit_check(const StringDescriptor* text);
void print_fit_check_length(int32_t length);

// PRINT: the bytes of a string at the cursor (code page 437 codes as they
// are, the control codes acting), then a new line when newline is non-zero.
// A PRINT statement is print_fit_check and print_string(item, 0) per item,
// closed by print_string(empty, 1) unless the list ends with a semicolon.
void print_string(const StringDescriptor* text, int32_t newline);
void print_bytes(const uint8_t* text, int32_t length, int32_t newline);

// Cursor to column 1 of the next row, scrolling the print area when needed.
void print_newline();

// The comma of a PRINT list: on to the next 14-column zone.
void print_zone_tab();

// One cell at the cursor; the cursor does not move.
void draw_glyph(uint8_t code);

// Colour AND the colour mask at pixel (x, y) of the write image. The caller
// keeps (x, y) inside the image.
void put_glyph_pixel(int32_t x, int32_t y, uint32_t color);

// Printing at a pixel: the bytes of text as glyphs from pixel (x, y) of an
// image (passed bit 0; else the write image), one every 8 pixels, in the
// image's font and colours under its text_draw_mode. Every byte is a glyph
// (no control codes), pixels outside the image are skipped, and the text
// cursor stays where it is. Error 258 for an image handle that names no
// image, 5 for a text screen.
void print_at_pixel(int32_t x, int32_t y, const StringDescriptor* text, int32_t image, uint32_t passed);

// VIEW PRINT top TO bottom (passed mask bit 0 top, bit 1 bottom; both or
// neither): the rows that PRINT uses and scrolls.
void view_print_statement(int32_t top, int32_t bottom, uint32_t passed);

// CSRLIN and POS: the cursor as the program sees it (a pending wrap counts
// as already on the next row).
int32_t csrlin();
int32_t pos();
