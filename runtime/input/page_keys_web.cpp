// Keys from the page. The port's SDL reports keys with SDL 1.3's codes and
// no typed character, so the page catches every key event before the port
// sees it and translates it to SDL 1.2's symbol and character as the
// desktop's SDL reports them. The page's handler runs on the main thread
// between main-loop callbacks, so the key goes where the main loop's drain would
// take it (an open dialog, else the keyboard) at once, without waiting up to
// two frames for the next drain. The browser's own repeats never come here
// (the page drops them): a held key repeats as on the desktop, by the
// runtime's own repeat at the next drain.
//
// Caps Lock and Num Lock come as states with every key (bit 0 Caps Lock,
// bit 1 Num Lock, as the browser reports them), not as keys: the runtime
// follows them at its next drain through SDL_GetModState, defined here in
// place of the port's, which never sees a key.
#include <SDL.h>
#include <emscripten.h>

#include <atomic>

#include "runtime/input/key_repeat.h"
#include "runtime/input/keyboard.h"
#include "runtime/platform/dialog.h"

namespace {

std::atomic<int> page_locks{0};

}  // namespace

extern "C" SDLMod SDL_GetModState() {
    int locks = page_locks.load();
    return static_cast<SDLMod>(((locks & 1) ? KMOD_CAPS : 0) | ((locks & 2) ? KMOD_NUM : 0));
}

extern "C" EMSCRIPTEN_KEEPALIVE void web_key_event(int down, int sym, int unicode, int locks) {
    page_locks = locks;
    SDL_Event event{};
    event.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(sym);
    event.key.keysym.unicode = static_cast<Uint32>(unicode);
    note_key_event(event.key, SDL_GetTicks());
    if (dialog_handle_event(event)) return;
    keyboard_event(event.key);
}
