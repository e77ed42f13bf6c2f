#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/input/browser_keys.h"
#include "runtime/input/key_symbols.h"

namespace {

struct Typed {
    std::string code, key;
};

struct Row {
    std::string name;
    std::vector<Typed> before;  // keys pressed earlier under the same layout
    bool down;
    std::string code, key;
    uint32_t state;
    bool taken, send;
    uint32_t sym, character;
    bool let_go_ctrl_alt;
};

constexpr uint32_t ctrl = browser_ctrl, alt = browser_alt, alt_graph = browser_alt_graph, mac = browser_option_types;
const std::string euro = "\xE2\x82\xAC";
const std::string e_acute = "\xC3\xA9";

// Each row as the browser reports the key, and what the desktop's SDL
// reports for the same key under the same layout.
const Row rows[] = {
    {"letter", {}, true, "KeyA", "a", 0, true, true, sym_a, 'a', false},
    {"shifted letter", {}, true, "KeyA", "A", browser_caps_lock, true, true, sym_a, 'A', false},
    {"letter released types nothing", {}, false, "KeyA", "a", 0, true, true, sym_a, 0, false},
    {"German Y position types z", {}, true, "KeyY", "z", 0, true, true, 'z', 'z', false},
    {"French Ctrl+W position is Ctrl+Z", {}, true, "KeyW", "z", ctrl, true, true, 'z', 26, false},
    {"Ctrl+H is backspace's code", {}, true, "KeyH", "h", ctrl, true, true, 'h', 8, false},
    {"Alt+X types x", {}, true, "KeyX", "x", alt, true, true, 'x', 'x', false},
    {"AltGr+Q on a German layout: q's symbol, @ typed, Ctrl and Alt let go", {{"KeyQ", "q"}}, true, "KeyQ", "@",
     alt_graph | ctrl | alt, true, true, 'q', '@', true},
    {"AltGr on a letter whose layout letter was seen: that letter", {{"KeyY", "z"}}, true, "KeyY", "\xE2\x86\x90",
     alt_graph, true, true, 'z', 0x2190, true},
    {"AltGr on a letter never seen: the position's letter", {}, true, "KeyY", "\xE2\x86\x90", alt_graph, true, true,
     'y', 0x2190, true},
    {"macOS Option types a character", {}, true, "KeyE", e_acute, alt | mac, true, true, 'e', 0xE9, true},
    {"macOS Option with Command does not compose", {}, true, "KeyE", e_acute, alt | browser_meta | mac, true, true, 'e',
     0xE9, false},
    {"Alt elsewhere does not compose", {}, true, "KeyE", e_acute, alt, true, true, 'e', 0xE9, false},
    {"AltGr with a control character does not let go", {}, true, "Enter", "Enter", alt_graph, true, true, sym_return,
     13, false},
    {"AltGr key itself is the Mode key", {}, true, "AltRight", "AltGraph", 0, true, true, sym_mode, 0, false},
    {"right Alt", {}, true, "AltRight", "Alt", alt, true, true, sym_right_alt, 0, false},
    {"Enter", {}, true, "Enter", "Enter", 0, true, true, sym_return, 13, false},
    {"Escape", {}, true, "Escape", "Escape", 0, true, true, sym_escape, 27, false},
    {"Backspace", {}, true, "Backspace", "Backspace", 0, true, true, sym_backspace, 8, false},
    {"Tab", {}, true, "Tab", "Tab", 0, true, true, sym_tab, 9, false},
    {"Delete", {}, true, "Delete", "Delete", 0, true, true, sym_delete, 127, false},
    {"Space", {}, true, "Space", " ", 0, true, true, sym_space, ' ', false},
    {"euro sign on a digit", {}, true, "Digit4", euro, 0, true, true, sym_0 + 4, 0x20AC, false},
    {"a dead key types nothing", {}, true, "BracketLeft", "Dead", 0, true, true, sym_left_bracket, 0, false},
    {"two characters type nothing", {}, true, "Quote", "ab", 0, true, true, sym_quote, 0, false},
    {"ISO key beside Shift", {}, true, "IntlBackslash", "<", 0, true, true, sym_less, '<', false},
    {"keypad Insert (Num Lock off) types nothing", {}, true, "Numpad0", "Insert", 0, true, true, sym_keypad0, 0, false},
    {"keypad Delete (Num Lock off) types nothing", {}, true, "NumpadDecimal", "Delete", 0, true, true,
     sym_keypad_period, 0, false},
    {"keypad period", {}, true, "NumpadDecimal", ".", browser_num_lock, true, true, sym_keypad_period, '.', false},
    {"keypad 9", {}, true, "Numpad9", "9", browser_num_lock, true, true, sym_keypad9, '9', false},
    {"keypad Enter", {}, true, "NumpadEnter", "Enter", 0, true, true, sym_keypad_enter, 13, false},
    {"keypad divide", {}, true, "NumpadDivide", "/", 0, true, true, sym_keypad_divide, '/', false},
    {"arrow", {}, true, "ArrowRight", "ArrowRight", 0, true, true, sym_right, 0, false},
    {"Page Down", {}, true, "PageDown", "PageDown", 0, true, true, sym_page_down, 0, false},
    {"Pause", {}, true, "Pause", "Pause", 0, true, true, sym_pause, 0, false},
    {"F1", {}, true, "F1", "F1", 0, true, true, sym_f1, 0, false},
    {"F10", {}, true, "F10", "F10", 0, true, true, sym_f10, 0, false},
    {"F15", {}, true, "F15", "F15", 0, true, true, sym_f15, 0, false},
    {"Digit0", {}, true, "Digit0", "0", 0, true, true, sym_0, '0', false},
    {"left Ctrl", {}, true, "ControlLeft", "Control", ctrl, true, true, sym_left_ctrl, 0, false},
    {"a repeat is kept from the browser, not sent", {}, true, "KeyA", "a", browser_repeat, true, false, 0, 0, false},
    {"F5 is the browser's", {}, true, "F5", "F5", 0, false, false, 0, 0, false},
    {"F11 is the browser's", {}, true, "F11", "F11", 0, false, false, 0, 0, false},
    {"F12 is the browser's", {}, true, "F12", "F12", 0, false, false, 0, 0, false},
    {"Caps Lock is a state", {}, true, "CapsLock", "CapsLock", browser_caps_lock, false, false, 0, 0, false},
    {"Num Lock is a state", {}, true, "NumLock", "NumLock", 0, false, false, 0, 0, false},
    {"F16 has no symbol", {}, true, "F16", "F16", 0, false, false, 0, 0, false},
    {"Digit10 is no key", {}, true, "Digit10", "1", 0, false, false, 0, 0, false},
    {"F01 is no key", {}, true, "F01", "F1", 0, false, false, 0, 0, false},
    {"unknown position", {}, true, "Lang1", "HangulMode", 0, false, false, 0, 0, false},
    {"no position (a made-up event)", {}, true, "", "", 0, false, false, 0, 0, false},
};

TranslatedKey translated(const Row& row) {
    BrowserLetters letters;
    for (const Typed& typed : row.before) translate_browser_key(BrowserKey{true, typed.code, typed.key, 0}, letters);
    return translate_browser_key(BrowserKey{row.down, row.code, row.key, row.state}, letters);
}

TEST(BrowserKeys, EachKeyAsTheDesktopReportsIt) {
    for (const Row& row : rows) {
        TranslatedKey out = translated(row);
        EXPECT_EQ(out.taken, row.taken) << row.name;
        EXPECT_EQ(out.send, row.send) << row.name;
        if (!row.send) continue;
        EXPECT_EQ(out.sym, row.sym) << row.name;
        EXPECT_EQ(out.character, row.character) << row.name;
        EXPECT_EQ(out.let_go_ctrl_alt, row.let_go_ctrl_alt) << row.name;
    }
}

// The touch controls' buttons, named as a US keyboard's keys: what they
// typed before keys came to the runtime by name.
TEST(BrowserKeys, ButtonsTypeTheirKeysWithoutLearningALayout) {
    struct Button {
        std::string code, key;
        uint32_t sym, character;
    };
    const Button buttons[] = {{"ArrowUp", "ArrowUp", 273, 0}, {"ArrowLeft", "ArrowLeft", 276, 0}, {"Space", " ", 32, 32},
                              {"Pause", "Pause", 19, 0},     {"KeyY", "y", 121, 121},            {"KeyN", "n", 110, 110},
                              {"KeyQ", "q", 113, 113},       {"Digit9", "9", 57, 57}};
    for (const Button& button : buttons) {
        TranslatedKey out = translate_browser_button(BrowserKey{true, button.code, button.key, 0});
        EXPECT_TRUE(out.send) << button.code;
        EXPECT_EQ(out.sym, button.sym) << button.code;
        EXPECT_EQ(out.character, button.character) << button.code;
    }
}

}  // namespace
