// Keys from the page. The port's SDL reports keys with SDL 1.3's codes and
// no typed character, so the page catches every key event before the port
// sees it and hands it here as the browser reports it (its code, key and
// modifier state); browser_keys translates it to SDL 1.2's symbol and
// character as the desktop's SDL reports them. The page's handler runs on
// the main thread between main-loop callbacks, so the key goes where the
// main loop's drain would take it (an open dialog, else the keyboard) at
// once, without waiting up to two frames for the next drain. The browser's
// own repeats go no further (the page still keeps them from the browser): a
// held key repeats as on the desktop, by the runtime's own repeat at the
// next drain.
//
// Caps Lock and Num Lock come as states with every key from the keyboard,
// not as keys: the runtime follows them at its next drain through
// SDL_GetModState, defined here in place of the port's, which never sees a
// key.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "runtime/core/threads.h"
#include "runtime/input/browser_keys.h"
#include "runtime/input/key_repeat.h"
#include "runtime/input/keyboard.h"
#include "runtime/input/key_symbols.h"
#include "runtime/platform/dialog.h"

namespace {

std::atomic<uint32_t> page_locks{0};

// What the page's keys have told so far: the letters of the layout, and the
// keys held now, by symbol in the order they were pressed, so that a lost
// focus can release them all.
struct PageKeys {
    BrowserLetters letters;
    std::vector<uint32_t> held;
};

PageKeys page_keys;

// The main loop is woken too: a held key repeats by its rhythm, and the
// program answers the key with a picture to show.
void deliver(bool down, uint32_t sym, uint32_t character) {
    wake_main_loop();
    SDL_Event event{};
    event.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(sym);
    event.key.keysym.unicode = static_cast<Uint32>(character);
    note_key_event(event.key, SDL_GetTicks());
    if (dialog_handle_event(event)) return;
    keyboard_event(event.key);
}

// Every press is sent, of a key held already too (a touch button and the
// keyboard may both press it); a release only of a key held.
void press_or_release(bool down, uint32_t sym, uint32_t character) {
    auto held = std::find(page_keys.held.begin(), page_keys.held.end(), sym);
    if (down) {
        if (held == page_keys.held.end()) page_keys.held.push_back(sym);
    } else {
        if (held == page_keys.held.end()) return;
        page_keys.held.erase(held);
    }
    deliver(down, sym, down ? character : 0);
}

void apply(const TranslatedKey& key, bool down) {
    if (!key.send) return;
    if (key.let_go_ctrl_alt) {
        for (uint32_t modifier : {sym_right_ctrl, sym_left_ctrl, sym_right_alt, sym_left_alt}) press_or_release(false, modifier, 0);
    }
    press_or_release(down, key.sym, key.character);
}

}  // namespace

extern "C" SDLMod SDL_GetModState() {
    uint32_t locks = page_locks.load();
    return static_cast<SDLMod>(((locks & browser_caps_lock) ? KMOD_CAPS : 0) | ((locks & browser_num_lock) ? KMOD_NUM : 0));
}

// A keyboard event: 1 when the runtime took the key (the page then keeps
// the browser from acting on it), 0 when the browser keeps it.
extern "C" EMSCRIPTEN_KEEPALIVE int web_key_event(int down, const char* code, const char* key, int state) {
    uint32_t bits = static_cast<uint32_t>(state);
    page_locks = bits & (browser_caps_lock | browser_num_lock);
    TranslatedKey translated = translate_browser_key(BrowserKey{down != 0, code, key, bits}, page_keys.letters);
    apply(translated, down != 0);
    return translated.taken ? 1 : 0;
}

// A press or release of a control that stands for a key (a touch button),
// named as the keyboard's key would be; it tells nothing of the locks.
extern "C" EMSCRIPTEN_KEEPALIVE void web_button_event(int down, const char* code, const char* key) {
    apply(translate_browser_button(BrowserKey{down != 0, code, key, 0}), down != 0);
}

// SDL 1.2 releases every held key when its window loses the focus; so does
// the page when it loses the focus or is hidden.
extern "C" EMSCRIPTEN_KEEPALIVE void web_release_keys() {
    for (uint32_t sym : std::vector<uint32_t>(page_keys.held)) press_or_release(false, sym, 0);
}
