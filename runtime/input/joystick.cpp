#include "runtime/input/joystick.h"

void joystick_event(const SDL_Event&) {}
