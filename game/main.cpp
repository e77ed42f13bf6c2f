// The executable: what the platform's start-up does before the runtime, then
// the game as the program thread's routine.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "game/screens.h"
#include "runtime/lifecycle/lifecycle.h"

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) {
        std::fprintf(stderr, "%s: %s\n", "WinMain() error", SDL_GetError());
        return 0;
    }
    std::atexit(SDL_Quit);
    runtime_main(argc, argv, game_main);
    return 0;
}
