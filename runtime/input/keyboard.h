// Keyboard input: window-system key events to PC key codes, the held-key
// list, the BIOS keyboard flags, ON KEY matching, and what the keys feed: the
// BIOS keyboard ring (key_buffer.h) that INKEY$ reads, the key event and scan
// code queues (key_port.h).
//
// Key codes, one name space for the held-key list, the translation and the
// key event queue:
//
// | code                  | meaning                                          |
// |-----------------------|--------------------------------------------------|
// | 0-255                 | a code page 437 character                        |
// | scan * 256            | an extended key by its PC scan code (0x4800 Up)  |
// | 100000 + SDL symbol   | other keys: locks, Shift/Ctrl/Alt, Pause, Break  |
// | 100256-100271         | keypad 0-9 . / * - + Enter, as characters        |
// | 200000-200010         | keypad 0-9 and . as navigation (Num Lock off)    |
// | 200011, 200012        | Scroll Lock and Insert states (on)               |
// | 200013                | stands for code 0 inside the key handlers        |
// | code | 0x40000000     | a character that code page 437 lacks             |
//
// Threads: everything here runs on the main thread (and at start-up) except
// INKEY$, which only moves the ring's head.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/events.h"
#include "runtime/input/key_buffer.h"
#include "runtime/input/key_port.h"

constexpr uint32_t key_symbol_base = 100000;
constexpr uint32_t key_pause = 100019;
constexpr uint32_t key_keypad_first = 100256;  // keypad 0, Num Lock on
constexpr uint32_t key_keypad_last = 100271;   // keypad Enter
constexpr uint32_t key_num_lock = 100300;
constexpr uint32_t key_caps_lock = 100301;
constexpr uint32_t key_scroll_lock = 100302;
constexpr uint32_t key_right_shift = 100303;
constexpr uint32_t key_left_shift = 100304;
constexpr uint32_t key_right_ctrl = 100305;
constexpr uint32_t key_left_ctrl = 100306;
constexpr uint32_t key_right_alt = 100307;
constexpr uint32_t key_left_alt = 100308;
constexpr uint32_t key_sys_req = 100317;
constexpr uint32_t key_break = 100318;
constexpr uint32_t key_navigation_first = 200000;  // keypad 0 as Ins, Num Lock off
constexpr uint32_t key_navigation_last = 200010;   // keypad . as Del
constexpr uint32_t key_scroll_lock_state = 200011;
constexpr uint32_t key_insert_state = 200012;
constexpr uint32_t key_code_zero = 200013;
constexpr uint32_t key_not_in_codepage = 0x40000000;
constexpr uint32_t key_insert = 0x5200;

constexpr uint32_t keyboard_flags1_offset = 0x417;
constexpr uint32_t keyboard_flags2_offset = 0x418;
constexpr uint32_t keyboard_flags3_offset = 0x496;

// Keys held down (and lock states that are on), with the window-system
// symbol that added each, so that a key-up event finds its code again.
struct HeldKeys {
    std::vector<uint32_t> held_codes;
    std::vector<uint32_t> held_syms;
    uint32_t current_sym = 0;  // given to the next code added, then 0
};

// Alt + keypad digits: 0 idle, 1 Alt pressed, 2 digits being typed.
struct AltCode {
    int state = 0;
    uint64_t value = 0;
};

// ON KEY n: the key it matches (and the keypad key that is the same arrow).
// Handler, on/off state and pending count live in event_tables.key[n].
struct OnKeyDefinition {
    uint32_t code = 0;
    uint32_t keypad_code = 0;
    std::string soft_key;  // typed instead of the key when not empty
};

struct KeyboardState {
    HeldKeys held;
    AltCode alt_code;
    bool from_character = false;  // the press being handled came from a character
    std::vector<uint32_t> suppressed_releases;  // codes whose release ON KEY took
    bool typing_soft_key = false;
    OnKeyDefinition on_key[key_trap_count];
};

extern KeyboardState keyboard;

// Back to the state before start-up (tests run many keyboards in one process).
void reset_keyboard_state();

// Start-up step: the ON KEY table's preset keys (F1-F10, the arrows, F11, F12).
void fill_on_key_defaults();
// Start-up step: lock and modifier keys from the system, then the flags.
void seed_keyboard_state();
// Main thread, every event iteration: follows the system's lock toggles.
void sync_lock_keys();
// Main thread: a key-down or key-up event of the window system.
void keyboard_event(const SDL_KeyboardEvent& event);

// The two halves of keyboard_event over plain values: SDL 1.2 key symbol and
// the Unicode character the window system translated the press into.
void key_down_event(uint32_t sym, uint32_t unicode);
void key_up_event(uint32_t sym);

void key_down(uint32_t code);
void key_up(uint32_t code);
void key_down_char(uint32_t unicode);
void key_up_char(uint32_t unicode);
void release_by_symbol(uint32_t sym);
void update_key_flags();

// The code, or its keypad twin (13 and keypad Enter, the arrows and keypad 8...).
bool is_key_held(uint32_t code);

// Code page 437 code of a Unicode character, or the character with
// key_not_in_codepage set.
uint32_t codepage_code(uint32_t unicode);
