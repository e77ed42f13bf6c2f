// A browser's key event, as the page hands it over (the KeyboardEvent's code
// and key, and its modifier state), translated to the SDL 1.2 symbol and
// typed character the desktop's SDL reports for the same key under the same
// layout. Plain data in, plain data out: the web build's page_keys_web.cpp
// feeds it, and a test can feed it too.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The modifier state that comes with a key, as bits.
enum BrowserKeyState : uint32_t {
    browser_caps_lock = 1,
    browser_num_lock = 2,
    browser_ctrl = 4,
    browser_alt = 8,
    browser_meta = 16,
    browser_alt_graph = 32,
    browser_repeat = 64,       // the browser's own repeat of a held key
    browser_option_types = 128,  // macOS and iOS: Option with a key types a character
};

struct BrowserKey {
    bool down = false;
    std::string_view code;  // the key's position: "KeyA", "Numpad4", "ArrowUp"
    std::string_view key;   // what the layout makes of it: "a", "ArrowLeft", "@", "AltGraph"
    uint32_t state = 0;     // BrowserKeyState bits
};

// What the runtime does with a browser's key.
struct TranslatedKey {
    bool taken = false;            // the runtime's: the browser's own action is prevented
    bool send = false;             // a press or release to hand to the runtime
    uint32_t sym = 0;              // SDL 1.2's symbol
    uint32_t character = 0;        // the typed character (presses only), else 0
    bool let_go_ctrl_alt = false;  // Ctrl and Alt are released first: Alt composed the character
};

// A letter key's symbol is the layout's letter at that position, which the
// key tells only while it types a letter: remembered for the moments it
// types something else (with AltGr). One record per page; a test resets it.
struct BrowserLetters {
    std::array<uint8_t, 26> at{};  // by position KeyA..KeyZ: the letter last seen there, or 0
};

// A key from the keyboard: its letter, if any, is remembered in letters.
TranslatedKey translate_browser_key(const BrowserKey& key, BrowserLetters& letters);

// A key from a control that stands for one (a touch button): the same
// translation, with no layout to learn from.
TranslatedKey translate_browser_button(const BrowserKey& key);
