#include "runtime/input/key_repeat.h"

#include "runtime/input/key_symbols.h"

KeyRepeat key_repeat;

namespace {

// Modifiers and locks never start a repeat (nor stop one); a key without a
// symbol neither.
bool repeatable(uint32_t sym) {
    switch (sym) {
    case sym_unknown:
    case sym_num_lock:
    case sym_caps_lock:
    case sym_right_shift:
    case sym_left_shift:
    case sym_right_ctrl:
    case sym_left_ctrl:
    case sym_right_alt:
    case sym_left_alt:
    case sym_right_meta:
    case sym_left_meta:
    case sym_mode:
        return false;
    default:
        return true;
    }
}

}  // namespace

void reset_key_repeat() { key_repeat = KeyRepeat{}; }

void set_key_repeat_enabled(bool on) {
    key_repeat.enabled = on;
    key_repeat.armed = false;
}

void note_key_event(const SDL_KeyboardEvent& event, uint32_t now_ms) {
    if (event.type == SDL_KEYDOWN) {
        if (!key_repeat.enabled || !repeatable(static_cast<uint32_t>(event.keysym.sym))) return;
        key_repeat.press = event;
        key_repeat.armed = true;
        key_repeat.waiting_delay = true;
        key_repeat.since_ms = now_ms;
    } else if (event.type == SDL_KEYUP) {
        if (key_repeat.armed && event.keysym.sym == key_repeat.press.keysym.sym) key_repeat.armed = false;
    }
}

bool key_repeat_due(uint32_t now_ms) {
    if (!key_repeat.armed || !key_repeat.enabled) return false;
    uint32_t waited_ms = now_ms - key_repeat.since_ms;
    if (key_repeat.waiting_delay) {
        if (waited_ms > key_repeat_delay_ms) {
            key_repeat.since_ms = now_ms;
            key_repeat.waiting_delay = false;
        }
        return false;
    }
    if (waited_ms <= key_repeat_interval_ms) return false;
    key_repeat.since_ms = now_ms;
    return true;
}
