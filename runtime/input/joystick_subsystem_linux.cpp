#include "runtime/input/joystick_subsystem.h"

#include <SDL.h>

void start_joystick_subsystem(bool restart) {
    if (restart) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
}
