// SCREEN: screen modes, pages and the start-up text screen.
#pragma once

#include <cstdint>

struct ScreenModeState {
    // Set after the start-up SCREEN 0 until the program first changes the
    // screen; LOCATE may then still turn the text screen into 80x50.
    int32_t screen_untouched = 0;
    // WIDTH's requests for the next text screen; -1 = none.
    int32_t pending_text_columns = -1;
    int32_t pending_text_rows = -1;
    int32_t pending_text_font = -1;
};
extern ScreenModeState screen_mode_state;

// Start-up, before the window system starts: the font size tables, and an
// empty emulated memory.
void screen_start_tables();

// Start-up: palettes, blink table, fonts, image table and the first screen
// (SCREEN 0); marks the screen untouched.
void screen_start();

// SCREEN mode, colour switch, active page, visual page, refresh. Passed mask:
// bit 0 mode, bit 2 active page, bit 3 visual page; the colour switch and
// refresh are ignored. A negative mode names an image handle to show.
void set_screen_mode(int32_t mode, int32_t color_switch, int32_t active_page, int32_t visual_page,
                     int32_t refresh, uint32_t passed);

// WIDTH columns, rows. Passed mask: bit 0 columns, bit 1 rows.
//
// | screen   | accepted                          | effect                          |
// |----------|-----------------------------------|---------------------------------|
// | text (0) | columns 40, 80; rows 25, 43, 50   | records the pending grid (and   |
// |          |                                   | the font when both are given),  |
// |          |                                   | then rebuilds the text screen   |
// |          |                                   | with a plain SCREEN 0           |
// | pixels   | columns = width / 8; rows =       | selects that font on every page |
// |          | height / 16, 14 or 8              | (cursor home, print area all    |
// |          |                                   | rows but the last); the picture |
// |          |                                   | stays                           |
//
// Anything else raises error 5 and changes nothing.
void width_statement(int32_t columns, int32_t rows, uint32_t passed);

// Tests: every image freed, the tables and mode state back to start-up.
void reset_screen_state();
