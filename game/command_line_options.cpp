#include "game/command_line_options.h"

#include "runtime/screen/window_scale.h"

namespace {

constexpr const char* usage_line = "Usage: tommy-zappo [--scale N|auto] [--help] [--version] [argument ...]\n";

constexpr const char* help_body =
    "TOMMY-ZAPPO, a maze action game from the DOS era.\n"
    "\n"
    "  --scale N     a window N times the emulated screen each way (N from 1 to 8),\n"
    "                or the largest such window that fits the desktop\n"
    "  --scale auto  the largest window that fits in 90 % of the desktop\n"
    "  -h, --help    print this help and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "Without --scale the window has exactly the emulated screen's size (320 x 200\n"
    "for most of the game). Full screen (S in the menu, or Alt+Enter) is not scaled.\n"
    "Other arguments, and all after --, are the program's COMMAND$; the game\n"
    "ignores them.\n"
    "\n"
    "Keys and exit statuses: man 6 tommy-zappo, or the README.\n";

// "1" to "8" or "auto"; false for anything else ("03" and "+3" too).
bool scale_value(const std::string& text, int32_t* scale) {
    if (text == "auto") {
        *scale = window_scale_auto;
        return true;
    }
    if (text.size() != 1 || text[0] < '1' || text[0] > '0' + window_scale_most) return false;
    *scale = text[0] - '0';
    return true;
}

StartOptions refused(std::string problem) {
    StartOptions options;
    options.action = StartAction::refuse;
    options.problem = std::move(problem);
    return options;
}

}  // namespace

StartOptions parse_command_line(int argc, const char* const* argv) {
    StartOptions options;
    bool options_end = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (options_end || arg.size() < 2 || arg[0] != '-') {
            options.program_arguments.push_back(arg);
        } else if (arg == "--") {
            options_end = true;
        } else if (arg == "--help" || arg == "-h") {
            options.action = StartAction::help;
            return options;
        } else if (arg == "--version") {
            options.action = StartAction::version;
            return options;
        } else if (arg == "--scale" || arg.starts_with("--scale=")) {
            std::string value;
            if (arg != "--scale")
                value = arg.substr(8);
            else if (i + 1 < argc && argv[i + 1])
                value = argv[++i];
            else
                return refused("option '--scale' needs a value: 1 to 8, or auto");
            if (!scale_value(value, &options.window_scale))
                return refused("bad value '" + value + "' for --scale: it takes 1 to 8, or auto");
        } else {
            return refused("unknown option '" + arg + "'");
        }
    }
    return options;
}

int answer_start_options(const StartOptions& options, FILE* out, FILE* err) {
    switch (options.action) {
    case StartAction::run:
        return -1;
    case StartAction::help:
        std::fprintf(out, "%s%s", usage_line, help_body);
        return 0;
    case StartAction::version:
        std::fprintf(out, "tommy-zappo %s\n", TOMMY_ZAPPO_VERSION);
        return 0;
    case StartAction::refuse:
        std::fprintf(err, "tommy-zappo: %s\n%s", options.problem.c_str(), usage_line);
        return exit_status_usage;
    }
    return -1;
}
