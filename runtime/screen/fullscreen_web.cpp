// The page asks after each video mode change whether the runtime is now in
// full screen, and switches the browser's full screen to match; and it tells
// when the browser left its full screen by its own means (Esc, F11, its
// control): the runtime then returns to its window as after Alt+Enter, so the
// picture is a whole repetition again and no later frame asks for full screen.
#include <emscripten.h>

#include "runtime/screen/present.h"

extern "C" EMSCRIPTEN_KEEPALIVE int web_fullscreen_state() {
    return presentation.fullscreen_state.load() != fullscreen_windowed ? 1 : 0;
}

extern "C" EMSCRIPTEN_KEEPALIVE void web_fullscreen_left() {
    if (presentation.fullscreen_state.load() != fullscreen_windowed) alt_enter_count.fetch_add(1);
}
