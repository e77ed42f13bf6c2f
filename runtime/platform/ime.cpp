#include "runtime/platform/ime.h"

#include <SDL.h>

namespace {
SDL_Surface* overlay = nullptr;
}

int start_input_method() {
    if (!overlay)
        overlay = SDL_CreateRGBSurface(SDL_SWSURFACE, 2048, 32, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    if (!overlay) return 601;
    return 0;
}

void service_input_method() {}
