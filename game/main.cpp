// The executable: its options, what the platform's start-up does before the
// runtime, then the game as the program thread's routine.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/command_line_options.h"
#include "game/screens.h"
#include "runtime/lifecycle/lifecycle.h"
#include "runtime/platform/system.h"
#include "runtime/screen/window_scale.h"

int main(int argc, char** argv) {
    // --help, --version and a refused command line end here, before SDL
    // starts or a window opens.
    attach_parent_console();
    StartOptions options = parse_command_line(argc, argv);
    if (int status = answer_start_options(options, stdout, stderr); status >= 0) return status;
    window_scale.requested = options.window_scale;
    // The runtime makes COMMAND$ of the arguments that are not options.
    std::string program_name = argc > 0 && argv[0] ? argv[0] : "tommy-zappo";
    std::vector<char*> program_argv{program_name.data()};
    for (std::string& argument : options.program_arguments) program_argv.push_back(argument.data());
    program_argv.push_back(nullptr);
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) {
        std::fprintf(stderr, "%s: %s\n", "WinMain() error", SDL_GetError());
        return 0;
    }
    std::atexit(SDL_Quit);
    runtime_main(static_cast<int>(program_argv.size() - 1), program_argv.data(), game_main);
    return 0;
}
