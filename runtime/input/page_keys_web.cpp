// Keys from the page. The port's SDL reports keys with SDL 1.3's codes and
// no typed character, so the page catches every key event before the port
// sees it, translates it to SDL 1.2's symbol and character as the desktop's
// SDL reports them, and hands it here; it joins SDL's queue as the desktop's
// key events do, and the main loop's drain reads it.
#include <SDL.h>
#include <emscripten.h>

extern "C" EMSCRIPTEN_KEEPALIVE void web_key_event(int down, int sym, int unicode) {
    SDL_Event event{};
    event.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = static_cast<Uint32>(unicode);
    SDL_PushEvent(&event);
}
