// The port's SDL finds the page's gamepads (navigator.getGamepads()) at any
// moment, but turns their changes into joystick events inside SDL_PollEvent
// only when SDL_Init was given the joystick flag; its SDL_InitSubSystem does
// nothing. SDL_Init ran long before (and would add its listeners twice), so
// the flag is added to the port's own record of it, on the page's thread
// where that record lives. Nothing to stop on a restart: the port keeps no
// state per start.
#include "runtime/input/joystick_subsystem.h"

#include <SDL.h>
#include <emscripten.h>

void start_joystick_subsystem(bool) { MAIN_THREAD_EM_ASM({ SDL.initFlags |= $0; }, SDL_INIT_JOYSTICK); }
