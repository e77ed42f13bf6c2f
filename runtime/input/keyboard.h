// Keyboard input: key events to the emulated BIOS keyboard buffer, INKEY$.
#pragma once

#include <SDL.h>

void fill_on_key_defaults();   // start-up: the ON KEY table's default codes
void seed_keyboard_state();    // start-up: lock and modifier keys from the system
void empty_keyboard_buffer();  // head and tail both 0x001E
void sync_lock_keys();         // main thread, every event iteration
void keyboard_event(const SDL_KeyboardEvent& event);  // main thread: key down or up
