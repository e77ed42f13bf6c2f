#include "runtime/input/keyboard.h"

void fill_on_key_defaults() {}
void seed_keyboard_state() {}
void empty_keyboard_buffer() {}
void sync_lock_keys() {}
void keyboard_event(const SDL_KeyboardEvent&) {}
