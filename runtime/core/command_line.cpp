#include "runtime/core/command_line.h"

std::string command_line_text;

std::string join_command_line(int argc, char** argv) {
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) joined += ' ';
        joined += argv[i];
    }
    return joined;
}
