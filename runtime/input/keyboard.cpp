#include "runtime/input/keyboard.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/input/key_symbols.h"
#include "runtime/input/key_table.h"
#include "runtime/platform/system.h"
#include "runtime/screen/present.h"

KeyboardState keyboard;

namespace {

bool held(uint32_t code) {
    const auto& codes = keyboard.held.held_codes;
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

void add_held(uint32_t code) {
    if (held(code)) return;
    keyboard.held.held_codes.push_back(code);
    keyboard.held.held_syms.push_back(keyboard.held.current_sym);
    keyboard.held.current_sym = 0;
}

void remove_held(uint32_t code) {
    auto& codes = keyboard.held.held_codes;
    auto found = std::find(codes.begin(), codes.end(), code);
    if (found == codes.end()) return;
    auto index = found - codes.begin();
    codes.erase(found);
    keyboard.held.held_syms.erase(keyboard.held.held_syms.begin() + index);
}

bool shift_held() { return is_key_held(key_right_shift) || is_key_held(key_left_shift); }
bool ctrl_held() { return is_key_held(key_right_ctrl) || is_key_held(key_left_ctrl); }
bool alt_held() { return is_key_held(key_right_alt) || is_key_held(key_left_alt); }
bool caps_lock_on() { return is_key_held(key_caps_lock); }

// A letter from Ctrl+letter or a letter symbol: the case the locks and Shift
// give, since the window system delivered no character to take it from.
uint32_t letter_in_case(uint32_t index_from_a) {
    bool upper = ((caps_lock_on() ? 1 : 0) + (shift_held() ? 1 : 0)) % 2 == 1;
    return (upper ? 'A' : 'a') + index_from_a;
}

bool is_keypad_code(uint32_t code) {
    return (code >= key_keypad_first && code <= key_keypad_last) ||
           (code >= key_navigation_first && code <= key_navigation_last);
}

uint32_t keypad_position(uint32_t code) {
    return code >= key_navigation_first ? code - key_navigation_first : code - key_keypad_first;
}

// Scan code of a modifier or lock key; 0 for the other codes above 65535.
uint8_t modifier_scan(uint32_t code) {
    switch (code) {
    case key_left_shift: return 42;
    case key_right_shift: return 54;
    case key_left_alt:
    case key_right_alt: return 56;
    case key_left_ctrl:
    case key_right_ctrl: return 29;
    case key_num_lock: return 69;
    case key_caps_lock: return 58;
    case key_scroll_lock: return 70;
    default: return 0;
    }
}

bool is_modifier_or_lock(uint32_t code) { return modifier_scan(code) != 0; }

// The scan code a key sends, 0 when it has none.
uint8_t scan_of(uint32_t code) {
    if (code < 256) return static_cast<uint8_t>(key_table[code][key_word_scan]);
    if (is_keypad_code(code)) return static_cast<uint8_t>(key_table[key_table_keypad + keypad_position(code)][key_word_scan]);
    if (code < 65536) return static_cast<uint8_t>(key_table[key_table_extended + code / 256][key_word_scan]);
    return modifier_scan(code);
}

// What the key event queue records for a code: keypad keys as the character
// or navigation key they stand for.
void queue_key_event(uint32_t code, bool press) {
    int32_t value = static_cast<int32_t>(code);
    int32_t keypad = 0;
    if (is_keypad_code(code)) {
        const KeyEntry& entry = key_table[key_table_keypad + keypad_position(code)];
        value = static_cast<int32_t>(code >= key_navigation_first ? entry[key_word_normal] : entry[0]);
        keypad = 1;
    }
    append_key_event(press ? value : -value, keypad);
}

// ON KEY: true when a definition took the key (a live handler or a soft key).
bool on_key_takes(uint32_t code) {
    if (keyboard.typing_soft_key) return false;
    for (int n = 1; n < key_trap_count; ++n) {
        OnKeyDefinition& definition = keyboard.on_key[n];
        if (definition.code == 0 || (code != definition.code && code != definition.keypad_code)) continue;
        EventTrap& trap = event_tables.key[n];
        if (trap.has_handler && trap.state == 1) {
            ++trap.pending;
            control.attention_flag = 1;
            keyboard.suppressed_releases.push_back(code);
            return true;
        }
        if (!definition.soft_key.empty()) {
            // The soft key's characters are typed instead of the key; they
            // are not matched again, so a definition cannot feed itself.
            keyboard.typing_soft_key = true;
            std::string text = definition.soft_key;
            for (unsigned char ch : text) {
                key_down(ch);
                key_up(ch);
            }
            keyboard.typing_soft_key = false;
            return true;
        }
    }
    return false;
}

// The column of key_table for the modifiers held: later tests win.
int modifier_column(int plain, int shifted) {
    int column = shift_held() ? shifted : plain;
    if (ctrl_held()) column = 2;
    if (alt_held()) column = 3;
    return column;
}

// Stores code word v of an entry: nothing, an extended key, or a character.
void store_code(uint32_t v, uint8_t entry_scan) {
    if (v == 0) return;
    if ((v & 0xFF00) != 0)
        append_key_entry(0, static_cast<uint8_t>(v >> 8));
    else
        append_key_entry(static_cast<uint8_t>(v), entry_scan);
}

void buffer_entry(uint32_t code, bool from_character, bool insert_was_held, bool scroll_was_held) {
    if (code == key_code_zero) code = 0;
    if (code < 256) {
        const KeyEntry& entry = key_table[code];
        uint8_t scan = static_cast<uint8_t>(entry[key_word_scan]);
        if (scan == 0) {
            append_key_entry(static_cast<uint8_t>(code), 0);
            return;
        }
        queue_scan(scan);
        int column = modifier_column(0, 1);
        // AltGr arrives as left Ctrl + right Alt; its characters are already
        // what the layout gives, so they are stored as typed.
        if (from_character && held(key_left_ctrl) && held(key_right_alt) && !held(key_left_alt) && !held(key_right_ctrl))
            column = 0;
        store_code(entry[key_word_normal + column], scan);
        return;
    }
    if (is_keypad_code(code)) {
        const KeyEntry& entry = key_table[key_table_keypad + keypad_position(code)];
        uint8_t scan = static_cast<uint8_t>(entry[key_word_scan]);
        queue_scan(scan);
        bool digit_with_num_lock = code >= key_keypad_first && code <= key_keypad_first + 10;
        int column = digit_with_num_lock ? modifier_column(key_word_num_lock - key_word_normal,
                                                           key_word_num_lock_shift - key_word_normal)
                                         : modifier_column(0, 1);
        store_code(entry[key_word_normal + column], scan);
        return;
    }
    if (code > 65535) {
        if (uint8_t scan = modifier_scan(code)) queue_scan(scan);
        if (code == key_scroll_lock && !ctrl_held() && !scroll_was_held) {
            bool on = !held(key_scroll_lock_state);
            if (on)
                add_held(key_scroll_lock_state);
            else
                remove_held(key_scroll_lock_state);
            // The system's Scroll Lock toggle is ours; keep it in step so
            // that the next lock comparison does not undo the press.
            set_os_scroll_lock(on);
        }
        update_key_flags();
        return;
    }
    const KeyEntry& entry = key_table[key_table_extended + code / 256];
    if (entry[key_word_normal] == 0) {
        append_key_entry(0, static_cast<uint8_t>(code / 256));
        return;
    }
    uint8_t scan = static_cast<uint8_t>(entry[key_word_scan]);
    queue_scan(scan);
    if (code == key_insert && !insert_was_held && !shift_held() && !ctrl_held() && !alt_held()) {
        if (held(key_insert_state))
            remove_held(key_insert_state);
        else
            add_held(key_insert_state);
        update_key_flags();
    }
    store_code(entry[key_word_normal + modifier_column(0, 1)], scan);
}

}  // namespace

void reset_keyboard_state() {
    keyboard.held = HeldKeys{};
    keyboard.alt_code = AltCode{};
    keyboard.from_character = false;
    keyboard.suppressed_releases.clear();
    keyboard.typing_soft_key = false;
    for (OnKeyDefinition& definition : keyboard.on_key) definition = OnKeyDefinition{};
    reset_key_port();
}

void fill_on_key_defaults() {
    for (int n = 1; n <= 10; ++n) keyboard.on_key[n].code = static_cast<uint32_t>(0x3A + n) * 256;  // F1-F10
    keyboard.on_key[11] = OnKeyDefinition{0x4800, 100264, {}};  // Up, keypad 8
    keyboard.on_key[12] = OnKeyDefinition{0x4B00, 100260, {}};  // Left, keypad 4
    keyboard.on_key[13] = OnKeyDefinition{0x4D00, 100262, {}};  // Right, keypad 6
    keyboard.on_key[14] = OnKeyDefinition{0x5000, 100258, {}};  // Down, keypad 2
    keyboard.on_key[30].code = 0x8500;                          // F11
    keyboard.on_key[31].code = 0x8600;                          // F12
}

bool is_key_held(uint32_t code) {
    if (held(code)) return true;
    uint32_t twin = 0;
    switch (code) {
    case 13: twin = 100271; break;
    case 42: twin = 100268; break;
    case 43: twin = 100270; break;
    case 45: twin = 100269; break;
    case 46: twin = 100266; break;
    case 47: twin = 100267; break;
    default:
        if (code >= '0' && code <= '9') twin = key_keypad_first + (code - '0');
        break;
    }
    uint32_t scan = (code >> 8) & 0xFF;
    if (twin == 0 && scan >= 71 && scan <= 83) {
        // Navigation keys by scan, 71 Home .. 83 Del, to keypad 0-9 and "."
        constexpr int32_t keypad_of_scan[13] = {7, 8, 9, -1, 4, 5, 6, -1, 1, 2, 3, 0, 10};
        if (int32_t position = keypad_of_scan[scan - 71]; position >= 0) twin = key_navigation_first + position;
    }
    return twin != 0 && held(twin);
}

uint32_t codepage_code(uint32_t unicode) {
    if (unicode <= 127) return unicode;
    for (uint32_t index = 1; index < 256; ++index)
        if (codepage_table[index] == unicode) return index;
    if (unicode >= 0xFF01 && unicode <= 0xFF5E) return unicode - 0xFEE0;  // full-width forms
    if (unicode == 0x3000) return 32;                                     // ideographic space
    return unicode | key_not_in_codepage;
}

void key_down_char(uint32_t unicode) {
    keyboard.from_character = true;
    key_down(codepage_code(unicode));
}

void key_up_char(uint32_t unicode) { key_up(codepage_code(unicode)); }

void key_down(uint32_t code) {
    if (code == 0) code = key_code_zero;
    bool from_character = keyboard.from_character;
    keyboard.from_character = false;
    bool insert_was_held = held(key_insert);
    bool scroll_was_held = code == key_scroll_lock && held(key_scroll_lock);
    add_held(code);

    if (code == key_break || ((code == key_scroll_lock || code == 100296) && ctrl_held())) {
        if (control.exit_handling_enabled.load())
            control.exit_request_bits.fetch_or(2);
        else
            control.stop_request = 1;
        return;
    }
    if (code == key_pause || (code == key_num_lock && ctrl_held())) {
        set_suspend_bit(suspend_paused);
        control.attention_flag = 1;
        return;
    }
    if (control.suspend_bits.load() & suspend_paused) {
        clear_suspend_bit(suspend_paused);  // the key that ends a pause goes no further
        return;
    }
    if (alt_held() && code == 13) {
        alt_enter_count.fetch_add(1);
        return;
    }
    if (keyboard.alt_code.state != 2) {
        if (on_key_takes(code)) return;
        queue_key_event(code, true);
    }
    buffer_entry(code, from_character, insert_was_held, scroll_was_held);
}

void key_up(uint32_t code) {
    if (code == 0) code = key_code_zero;
    remove_held(code);
    if (keyboard.alt_code.state != 2) {
        auto& suppressed = keyboard.suppressed_releases;
        if (auto found = std::find(suppressed.begin(), suppressed.end(), code); found != suppressed.end()) {
            suppressed.erase(found);
            return;
        }
        queue_key_event(code, false);
    }
    uint32_t key = code == key_code_zero ? 0 : code;
    if (uint8_t scan = scan_of(key)) queue_scan(static_cast<uint8_t>(scan + 128));
    if (is_modifier_or_lock(code) || code == key_insert) update_key_flags();
}

void release_by_symbol(uint32_t sym) {
    const auto& syms = keyboard.held.held_syms;
    auto found = std::find(syms.begin(), syms.end(), sym);
    if (found == syms.end()) return;
    key_up(keyboard.held.held_codes[static_cast<size_t>(found - syms.begin())]);
}

void update_key_flags() {
    auto bit = [](uint32_t code, int position) { return held(code) ? 1 << position : 0; };
    int flags1 = bit(key_right_shift, 0) | bit(key_left_shift, 1) | (ctrl_held() ? 4 : 0) | (alt_held() ? 8 : 0) |
                 bit(key_scroll_lock_state, 4) | bit(key_num_lock, 5) | bit(key_caps_lock, 6) | bit(key_insert_state, 7);
    int flags2 = bit(key_left_ctrl, 0) | bit(key_left_alt, 1) | bit(key_sys_req, 2) | bit(key_pause, 3) |
                 bit(key_scroll_lock, 4) | bit(key_insert, 7);
    int flags3 = bit(key_right_ctrl, 0) | bit(key_right_alt, 1) | 0x10;
    emulated_memory[keyboard_flags1_offset] = static_cast<uint8_t>(flags1);
    emulated_memory[keyboard_flags2_offset] = static_cast<uint8_t>(flags2);
    emulated_memory[keyboard_flags3_offset] = static_cast<uint8_t>(flags3);
}

void key_down_event(uint32_t sym, uint32_t unicode) {
    keyboard.held.current_sym = sym;
    AltCode& alt_code = keyboard.alt_code;
    bool alt_key = sym == sym_left_alt || sym == sym_right_alt;
    if (alt_key && !alt_held()) alt_code = AltCode{1, 0};
    if (alt_code.state != 0 && !alt_key) {
        if (sym >= sym_keypad0 && sym <= sym_keypad9) {
            alt_code.state = 2;
            alt_code.value = alt_code.value * 10 + (sym - sym_keypad0);
        } else {
            alt_code.state = 0;
        }
    }
    uint32_t u = unicode;
    if (u == 127 && sym == sym_backspace) u = 8;
    if (u == 127 && sym == sym_delete) u = 0;

    if (u != 0) {
        if (sym >= sym_keypad0 && sym <= sym_keypad_enter) {
            key_down(sym + key_symbol_base);
            return;
        }
        if (ctrl_held()) {
            constexpr uint32_t ctrl_pairs[][2] = {{10, 13}, {27, 27}, {32, 32}, {30, 54}, {27, 91}, {28, 92}, {29, 93}};
            for (const auto& pair : ctrl_pairs) {
                if (u == pair[0] && sym == pair[1]) {
                    key_down(sym);
                    return;
                }
            }
            if (u >= 1 && u <= 26) {
                key_down(letter_in_case(u - 1));
                return;
            }
        }
        key_down_char(u);
        if (sym == 0) key_up_char(u);  // a character without a key has no release of its own
        return;
    }

    uint32_t code = 0;
    if (sym >= sym_keypad0 && sym <= sym_keypad_period)
        code = sym - sym_keypad0 + key_navigation_first;
    else if (sym > sym_keypad_period && sym <= sym_keypad_enter)
        code = sym + key_symbol_base;
    else if (sym >= sym_f1 && sym <= sym_f10)
        code = (sym - 223) * 256;
    else if (sym == sym_f11 || sym == sym_f12)
        code = (sym - 159) * 256;
    else {
        switch (sym) {
        case sym_home: code = 0x4700; break;
        case sym_up: code = 0x4800; break;
        case sym_page_up: code = 0x4900; break;
        case sym_left: code = 0x4B00; break;
        case sym_right: code = 0x4D00; break;
        case sym_end: code = 0x4F00; break;
        case sym_down: code = 0x5000; break;
        case sym_page_down: code = 0x5100; break;
        case sym_insert: code = 0x5200; break;
        case sym_delete: code = 0x5300; break;
        default: break;
        }
    }
    if (code != 0) {
        key_down(code);
        return;
    }
    if (ctrl_held() && ((sym >= 32 && sym <= 96) || sym == sym_backspace || sym == sym_tab || sym == sym_return ||
                        sym == sym_escape)) {
        key_down(sym);
    } else if (sym >= 'a' && sym <= 'z') {
        key_down(letter_in_case(sym - 'a'));
    } else if (sym < 32 || sym > 127) {
        key_down(sym + key_symbol_base);
    }
}

void key_up_event(uint32_t sym) {
    AltCode& alt_code = keyboard.alt_code;
    bool composed = false;
    uint32_t character = 0;
    if (alt_code.state != 0 && (sym == sym_left_alt || sym == sym_right_alt)) {
        if (alt_code.state == 2) {
            composed = true;
            character = static_cast<uint32_t>(alt_code.value & 255);
        }
        alt_code.state = 0;
    }
    if (sym != 0) release_by_symbol(sym);
    if (composed) {
        // The composed character is typed as if its own key had been pressed.
        key_down(character);
        key_up(character);
    }
}

void keyboard_event(const SDL_KeyboardEvent& event) {
    if (event.type == SDL_KEYDOWN)
        key_down_event(event.keysym.sym, event.keysym.unicode);
    else if (event.type == SDL_KEYUP)
        key_up_event(event.keysym.sym);
}

void seed_keyboard_state() {
    LockStates locks = os_lock_states();
    if (locks.scroll_lock) add_held(key_scroll_lock_state);
    int key_count = 0;
    const uint8_t* pressed = os_pressed_keys(&key_count);
    constexpr uint32_t physical[] = {sym_scroll_lock, sym_left_shift, sym_right_shift, sym_left_ctrl, sym_right_ctrl, sym_left_alt, sym_right_alt};
    for (uint32_t sym : physical) {
        if (pressed == nullptr || sym >= static_cast<uint32_t>(key_count) || !pressed[sym]) continue;
        keyboard.held.current_sym = sym;
        key_down(key_symbol_base + sym);
    }
    keyboard.held.current_sym = 0;
    if (locks.caps_lock) key_down(key_caps_lock);
    if (locks.num_lock) key_down(key_num_lock);
    update_key_flags();
}

void sync_lock_keys() {
    LockStates locks = os_lock_states();
    bool changed = false;
    keyboard.held.current_sym = 0;  // a lock state is no key of the last event
    if (locks.scroll_lock != held(key_scroll_lock_state)) {
        if (locks.scroll_lock)
            add_held(key_scroll_lock_state);
        else
            remove_held(key_scroll_lock_state);
        changed = true;
    }
    auto follow = [&changed](bool on, uint32_t code) {
        if (on == held(code)) return;
        if (on)
            key_down(code);
        else
            key_up(code);
        changed = true;
    };
    follow(locks.caps_lock, key_caps_lock);
    follow(locks.num_lock, key_num_lock);
    if (changed) update_key_flags();
}
