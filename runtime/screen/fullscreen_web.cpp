// The page asks after each video mode change whether the runtime is now in
// full screen, and switches the browser's full screen to match.
#include <emscripten.h>

#include "runtime/screen/present.h"

extern "C" EMSCRIPTEN_KEEPALIVE int web_fullscreen_state() {
    return presentation.fullscreen_state.load() != fullscreen_windowed ? 1 : 0;
}
