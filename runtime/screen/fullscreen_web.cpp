// The page asks after each video mode change whether the runtime is now in
// full screen (and which kind), and switches the browser's full screen to match; and it tells
// when the browser left its full screen by its own means (Esc, F11, its
// control): the runtime then returns to its window as after Alt+Enter, so the
// picture is a whole repetition again and no later frame asks for full screen.
// Its state says "window" then, and the program's next switch (S), which the
// program means as the way out of a full screen it thinks it still holds,
// enters full screen at once: the player's S is a toggle, as on the desktop.
#include <emscripten.h>

#include "runtime/core/threads.h"
#include "runtime/screen/fullscreen.h"
#include "runtime/screen/present.h"

// The page's full screen, where no mode holds the doubled picture: the
// browser's, around the page and its touch controls (web/page.js).
bool fullscreen_without_mode() { return true; }

// 0 windowed, 1 full screen in a mode of its own (the screen's size), 2 full
// screen that keeps the window's picture.
extern "C" EMSCRIPTEN_KEEPALIVE int web_fullscreen_state() {
    if (presentation.fullscreen_state.load() == fullscreen_windowed) return 0;
    return presentation.fullscreen_keeps_layout ? 2 : 1;
}

extern "C" EMSCRIPTEN_KEEPALIVE void web_fullscreen_left() {
    if (presentation.fullscreen_state.load() == fullscreen_windowed) return;
    wake_main_loop();
    alt_enter_count.fetch_add(1);
    presentation.fullscreen_switch_turned = presentation.program_fullscreen.load() != fullscreen_windowed;
}
