// Key repeat, made here rather than by the window-system library: a held key
// is typed again 500 ms after its press and then every 30 ms, while the
// window has the input focus.
//
// The library's own repeat stays off. On the original SDL 1.2 it is the
// rule below; sdl12-compat holds back the press of a key that gives no text
// (cursor and function keys, the navigation keypad) until it knows that no
// text follows, and when press and release land in one event poll it cancels
// the repeat on the release and then starts it again with the held-back
// press: one quick tap walked on by itself until another key came.
//
// The rule, SDL 1.2.15's as traced under Xvfb with keys held by xdotool:
//
// | event                                   | repeat                          |
// |-----------------------------------------|---------------------------------|
// | press of a repeatable key               | that key, timed from its press  |
// | press of Shift, Ctrl, Alt, AltGr, Meta, | nothing changes: an earlier key |
// | Num Lock, Caps Lock, a key without a    | keeps repeating, with the       |
// | symbol (none of these repeats)          | character of its own press      |
// | release of the repeating key            | stops; an earlier key still     |
// |                                         | held does not take over         |
// | release of any other key                | nothing changes                 |
//
// Scroll Lock, Pause, the Windows and Menu keys repeat like the others (Meta
// and a key without a symbol could not be typed there; the library leaves
// them out with the modifiers). The library looks at the clock on each event
// poll, so a repeat is due at an event drain: the first drain more than
// 500 ms after the press only starts the interval, and each later drain more
// than 30 ms after the one before types the key once. With drains about
// 32 ms apart, the first repeat comes two drains after the 500 ms, and then
// one at every drain. The repeat follows the window's input focus: switched
// off and on with it, as the library's was, it forgets the held key.
//
// Threads: main thread only (the event drain); the test may call the
// functions on plain values.
#pragma once

#include <SDL.h>

#include <cstdint>

constexpr uint32_t key_repeat_delay_ms = 500;
constexpr uint32_t key_repeat_interval_ms = 30;

struct KeyRepeat {
    bool enabled = false;           // the window has the input focus
    bool armed = false;             // the key below is held and repeats
    bool waiting_delay = false;     // its first interval is the delay
    uint32_t since_ms = 0;          // press, or the last repeat
    SDL_KeyboardEvent press{};      // typed again as it came
};

extern KeyRepeat key_repeat;

void reset_key_repeat();

// Focus gained (true) or lost (false); either way a repeat in progress ends.
void set_key_repeat_enabled(bool on);

// Every key event the drain takes, before it is handled, at now_ms.
void note_key_event(const SDL_KeyboardEvent& event, uint32_t now_ms);

// Once per drain, after its events: true when the held key is to be typed
// again now (key_repeat.press).
bool key_repeat_due(uint32_t now_ms);
