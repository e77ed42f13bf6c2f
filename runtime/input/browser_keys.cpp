#include "runtime/input/browser_keys.h"

#include "runtime/input/key_symbols.h"

namespace {

struct Named {
    std::string_view code;
    uint32_t sym;
};

// The keys known by their position alone; letters, digits, the keypad's
// digits and F1 to F15 are counted in symbol_at.
constexpr Named named_keys[] = {
    {"Backspace", sym_backspace},        {"Tab", sym_tab},
    {"Enter", sym_return},               {"Pause", sym_pause},
    {"Escape", sym_escape},              {"Space", sym_space},
    {"Quote", sym_quote},                {"Comma", sym_comma},
    {"Minus", sym_minus},                {"Period", sym_period},
    {"Slash", sym_slash},                {"Semicolon", sym_semicolon},
    {"Equal", sym_equals},               {"BracketLeft", sym_left_bracket},
    {"Backslash", sym_backslash},        {"BracketRight", sym_right_bracket},
    {"Backquote", sym_backquote},        {"IntlBackslash", sym_less},
    {"Delete", sym_delete},              {"NumpadDecimal", sym_keypad_period},
    {"NumpadDivide", sym_keypad_divide}, {"NumpadMultiply", sym_keypad_multiply},
    {"NumpadSubtract", sym_keypad_minus}, {"NumpadAdd", sym_keypad_plus},
    {"NumpadEnter", sym_keypad_enter},   {"NumpadEqual", sym_keypad_equals},
    {"ArrowUp", sym_up},                 {"ArrowDown", sym_down},
    {"ArrowRight", sym_right},           {"ArrowLeft", sym_left},
    {"Insert", sym_insert},              {"Home", sym_home},
    {"End", sym_end},                    {"PageUp", sym_page_up},
    {"PageDown", sym_page_down},         {"NumLock", sym_num_lock},
    {"CapsLock", sym_caps_lock},         {"ScrollLock", sym_scroll_lock},
    {"ShiftRight", sym_right_shift},     {"ShiftLeft", sym_left_shift},
    {"ControlRight", sym_right_ctrl},    {"ControlLeft", sym_left_ctrl},
    {"AltRight", sym_right_alt},         {"AltLeft", sym_left_alt},
    {"MetaRight", sym_right_meta},       {"MetaLeft", sym_left_meta},
};

// Keys the browser keeps for itself: reload, developer tools, its own full screen.
constexpr std::string_view browser_keys[] = {"F5", "F11", "F12"};

// The number after prefix in code, when code is prefix and digits within [low, high].
bool numbered(std::string_view code, std::string_view prefix, uint32_t low, uint32_t high, uint32_t* number) {
    if (!code.starts_with(prefix) || code.size() == prefix.size() || code.size() > prefix.size() + 2) return false;
    uint32_t n = 0;
    for (char c : code.substr(prefix.size())) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<uint32_t>(c - '0');
    }
    if (n < low || n > high || (code.size() == prefix.size() + 2 && code[prefix.size()] == '0')) return false;
    *number = n;
    return true;
}

// KeyA..KeyZ: 0..25, else -1.
int letter_position(std::string_view code) {
    if (code.size() != 4 || !code.starts_with("Key") || code[3] < 'A' || code[3] > 'Z') return -1;
    return code[3] - 'A';
}

// The ASCII letter a key types, in lower case, or 0.
uint8_t typed_letter(std::string_view key) {
    if (key.size() != 1) return 0;
    char c = key[0];
    if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c);
    if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c - 'A' + 'a');
    return 0;
}

// The key's position's symbol: sym_unknown for a position SDL 1.2 has no symbol for.
uint32_t symbol_at(std::string_view code) {
    for (const Named& named : named_keys) {
        if (named.code == code) return named.sym;
    }
    uint32_t n = 0;
    if (int letter = letter_position(code); letter >= 0) return sym_a + static_cast<uint32_t>(letter);
    if (numbered(code, "Digit", 0, 9, &n)) return sym_0 + n;
    if (numbered(code, "Numpad", 0, 9, &n)) return sym_keypad0 + n;
    if (numbered(code, "F", 1, 15, &n)) return sym_f1 + n - 1;
    return sym_unknown;
}

bool on_keypad(std::string_view code) { return code.starts_with("Numpad"); }

// The key's text as one Unicode code point, or 0 when it is none or more than one.
uint32_t single_code_point(std::string_view text) {
    if (text.empty()) return 0;
    auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    uint8_t first = byte(0);
    size_t length = first < 0x80 ? 1 : (first & 0xE0) == 0xC0 ? 2 : (first & 0xF0) == 0xE0 ? 3 : (first & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || text.size() != length) return 0;
    uint32_t point = length == 1 ? first : first & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(i) & 0x3F);
    }
    return point;
}

// The typed character SDL 1.2 reports with a key press: the key's text
// (AltGr's and Option's characters included), control codes for Enter,
// Escape, Backspace, Tab, Delete and Ctrl+letter, else 0. A keypad key with
// Num Lock off names a navigation key and types nothing, as on X11.
uint32_t typed_character(const BrowserKey& key) {
    constexpr Named controls[] = {{"Enter", 13}, {"Escape", 27}, {"Backspace", 8}, {"Tab", 9}, {"Delete", 127}};
    for (const Named& control : controls) {
        if (key.key == control.code) return on_keypad(key.code) && key.key != "Enter" ? 0 : control.sym;
    }
    uint32_t point = single_code_point(key.key);
    if ((key.state & browser_ctrl) && !(key.state & browser_alt) && typed_letter(key.key) != 0) return point & 0x1F;
    return point;
}

// AltGr on Windows (which the browser reports as Ctrl and Alt held) and
// Option on macOS type characters: the runtime gets them as characters, its
// Ctrl and Alt let go first, or they would arrive as Ctrl and Alt codes.
bool composed_with_alt(uint32_t state) {
    if (state & browser_alt_graph) return true;
    return (state & browser_option_types) && (state & browser_alt) && !(state & (browser_ctrl | browser_meta));
}

TranslatedKey translate(const BrowserKey& key, uint32_t sym) {
    TranslatedKey out;
    // Caps Lock and Num Lock are followed as states, not as keys.
    if (sym == sym_unknown || sym == sym_caps_lock || sym == sym_num_lock) return out;
    for (std::string_view kept : browser_keys) {
        if (key.code == kept) return out;
    }
    out.taken = true;
    // A held key repeats by the runtime's own rule, as on the desktop.
    if (key.state & browser_repeat) return out;
    out.send = true;
    out.sym = sym;
    out.character = key.down ? typed_character(key) : 0;
    out.let_go_ctrl_alt = out.character >= 32 && composed_with_alt(key.state);
    return out;
}

}  // namespace

// The symbol SDL 1.2 on X11 reports: a letter key's symbol is the layout's
// letter (Z on a German keyboard's Y position); every other key is known by
// its position. AltGr, which the browser names apart, is SDL's Mode key.
TranslatedKey translate_browser_key(const BrowserKey& key, BrowserLetters& letters) {
    if (key.code == "AltRight" && key.key == "AltGraph") return translate(key, sym_mode);
    if (int position = letter_position(key.code); position >= 0) {
        if (uint8_t letter = typed_letter(key.key)) letters.at[static_cast<size_t>(position)] = letter;
        if (uint8_t letter = letters.at[static_cast<size_t>(position)]) return translate(key, letter);
    }
    return translate(key, symbol_at(key.code));
}

TranslatedKey translate_browser_button(const BrowserKey& key) {
    BrowserLetters none;
    return translate_browser_key(key, none);
}
