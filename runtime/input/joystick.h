// Joystick input: controllers, STICK and STRIG.
#pragma once

#include <SDL.h>

void joystick_event(const SDL_Event& event);  // main thread: axis, ball, hat, button
