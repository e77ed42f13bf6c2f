// SDL 1.2's key symbols, the numbers every key event carries on both builds:
// the desktop's SDL reports them, and the page's keys are translated to them
// (browser_keys.cpp). The web port's SDL headers give SDLK_* SDL 1.3's
// values (scancode | 1024) instead, so shared code compares against these
// only. A key whose symbol is its character (letters, digits, punctuation)
// has that character's code.
#pragma once

#include <cstdint>

constexpr uint32_t sym_unknown = 0;
constexpr uint32_t sym_backspace = 8;
constexpr uint32_t sym_tab = 9;
constexpr uint32_t sym_return = 13;
constexpr uint32_t sym_pause = 19;
constexpr uint32_t sym_escape = 27;
constexpr uint32_t sym_space = 32;
constexpr uint32_t sym_quote = '\'';
constexpr uint32_t sym_comma = ',';
constexpr uint32_t sym_minus = '-';
constexpr uint32_t sym_period = '.';
constexpr uint32_t sym_slash = '/';
constexpr uint32_t sym_0 = '0';
constexpr uint32_t sym_semicolon = ';';
constexpr uint32_t sym_less = '<';  // the key beside left Shift on ISO keyboards
constexpr uint32_t sym_equals = '=';
constexpr uint32_t sym_left_bracket = '[';
constexpr uint32_t sym_backslash = '\\';
constexpr uint32_t sym_right_bracket = ']';
constexpr uint32_t sym_backquote = '`';
constexpr uint32_t sym_a = 'a';
constexpr uint32_t sym_n = 'n';
constexpr uint32_t sym_y = 'y';
constexpr uint32_t sym_delete = 127;
constexpr uint32_t sym_keypad0 = 256;
constexpr uint32_t sym_keypad9 = 265;
constexpr uint32_t sym_keypad_period = 266;
constexpr uint32_t sym_keypad_divide = 267;
constexpr uint32_t sym_keypad_multiply = 268;
constexpr uint32_t sym_keypad_minus = 269;
constexpr uint32_t sym_keypad_plus = 270;
constexpr uint32_t sym_keypad_enter = 271;
constexpr uint32_t sym_keypad_equals = 272;
constexpr uint32_t sym_up = 273;
constexpr uint32_t sym_down = 274;
constexpr uint32_t sym_right = 275;
constexpr uint32_t sym_left = 276;
constexpr uint32_t sym_insert = 277;
constexpr uint32_t sym_home = 278;
constexpr uint32_t sym_end = 279;
constexpr uint32_t sym_page_up = 280;
constexpr uint32_t sym_page_down = 281;
constexpr uint32_t sym_f1 = 282;  // F1 to F15 follow one another
constexpr uint32_t sym_f10 = 291;
constexpr uint32_t sym_f11 = 292;
constexpr uint32_t sym_f12 = 293;
constexpr uint32_t sym_f15 = 296;
constexpr uint32_t sym_num_lock = 300;
constexpr uint32_t sym_caps_lock = 301;
constexpr uint32_t sym_scroll_lock = 302;
constexpr uint32_t sym_right_shift = 303;
constexpr uint32_t sym_left_shift = 304;
constexpr uint32_t sym_right_ctrl = 305;
constexpr uint32_t sym_left_ctrl = 306;
constexpr uint32_t sym_right_alt = 307;
constexpr uint32_t sym_left_alt = 308;
constexpr uint32_t sym_right_meta = 309;
constexpr uint32_t sym_left_meta = 310;
constexpr uint32_t sym_mode = 313;  // AltGr
