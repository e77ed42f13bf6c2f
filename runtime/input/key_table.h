// The PC keyboard as the BIOS reports it (US layout, scan code set 1), and
// code page 437 as Unicode code points.
//
// key_table: 528 entries of ten words.
//
// | word | meaning                                   |
// |------|-------------------------------------------|
// | 0    | the key's base character (informative)    |
// | 1    | PC scan code                              |
// | 2    | code, no modifier                         |
// | 3    | code with Shift                           |
// | 4    | code with Ctrl                            |
// | 5    | code with Alt                             |
// | 6    | code with Num Lock (keypad)               |
// | 7, 8 | always 0                                  |
// | 9    | code with Num Lock and Shift (keypad)     |
//
// A code below 256 is a character, stored with the entry's scan code; a code
// with a nonzero second byte is an extended key, stored as character 0 and
// scan code / 256; 0 stores nothing.
//
// | entries | indexed by                                                  |
// |---------|-------------------------------------------------------------|
// | 0-255   | character                                                   |
// | 256-511 | 256 + scan code (F11 and F12 by their extended code instead) |
// | 512-527 | keypad key: 0-9, ".", "/", "*", "-", "+", Enter             |
#pragma once

#include <array>
#include <cstdint>

using KeyEntry = std::array<uint32_t, 10>;

constexpr int key_word_scan = 1;
constexpr int key_word_normal = 2;  // + column: 0 normal, 1 Shift, 2 Ctrl, 3 Alt
constexpr int key_word_num_lock = 6;
constexpr int key_word_num_lock_shift = 9;

constexpr int key_table_size = 528;
constexpr int key_table_extended = 256;
constexpr int key_table_keypad = 512;

extern const std::array<KeyEntry, key_table_size> key_table;

// Unicode code point of every code page 437 byte; 0x00 is a space and
// 0x01-0x1F and 0x7F are the graphic symbols the VGA font shows for them.
extern const std::array<uint16_t, 256> codepage_table;
