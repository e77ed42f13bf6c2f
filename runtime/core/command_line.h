// COMMAND$: the arguments after the program name, as start-up received them.
#pragma once

#include <string>

// Set once at start-up, before the program thread starts; read by COMMAND$.
extern std::string command_line_text;

// The arguments after the program name joined with single spaces; spaces
// inside an argument stay as they are.
std::string join_command_line(int argc, char** argv);
