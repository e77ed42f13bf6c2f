// The executable's command line, read before anything of SDL starts: the
// window's scale, and the usual --help and --version. Every argument that is
// not an option goes to the program as COMMAND$, as all of them did before
// there were options.
//
// | argument                  | effect                                           |
// |---------------------------|--------------------------------------------------|
// | --scale N, --scale=N      | a window N times the emulated screen (N 1 to 8)  |
// | --scale auto              | the largest that fits in 90 % of the desktop     |
// | -h, --help                | the usage text on standard output; status 0      |
// | --version                 | "tommy-zappo" and the version; status 0          |
// | --                        | every later argument is the program's            |
// | - alone, no leading dash  | the program's                                    |
// | any other -x or --x       | refused: the problem and the usage line on       |
// |                           | standard error; status 2                         |
//
// Options are read in order and may stand between the program's arguments;
// the first of --help, --version or a problem decides, and a later --scale
// replaces an earlier one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class StartAction { run, help, version, refuse };

struct StartOptions {
    StartAction action = StartAction::run;
    int32_t window_scale = 1;  // 1..8, or window_scale_auto
    std::vector<std::string> program_arguments;  // in order, for COMMAND$
    std::string problem;  // refuse: what is wrong, in one line
};

// The status of a command line that is refused.
constexpr int exit_status_usage = 2;

StartOptions parse_command_line(int argc, const char* const* argv);

// Prints what help, version or a refusal print (out: standard output, err:
// standard error) and gives the exit status; -1 when the program is to run.
int answer_start_options(const StartOptions& options, FILE* out, FILE* err);
