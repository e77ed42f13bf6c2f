#include "runtime/platform/system.h"

#include <SDL.h>

uint32_t ticks_ms() { return SDL_GetTicks(); }
