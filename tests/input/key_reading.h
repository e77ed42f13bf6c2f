// Helpers for a runtime child of the keyboard tests: keys read with INKEY$,
// and shell commands (xdotool) with their output.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/end_program.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/input/key_buffer.h"
#include "support/runtime_child.h"

// INKEY$ in statements until a key arrives or the time is up; the key as hex
// bytes ("0048" for the up arrow), empty when none came.
inline std::string read_key_hex(Uint32 wait_ms = 2000) {
    std::string hex;
    Uint32 start = SDL_GetTicks();
    while (hex.empty() && SDL_GetTicks() - start < wait_ms) {
        statement(100, [&] {
            for (unsigned char byte : string_text(inkey())) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02x", byte);
                hex += digits;
            }
        });
        if (hex.empty()) SDL_Delay(1);
    }
    return hex;
}

// Runs a shell command (xdotool, in a child of the window tests) and returns
// its first output line.
inline std::string command_output(const std::string& command) {
    std::string line;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        if (std::fgets(buffer, sizeof buffer, pipe)) line = buffer;
        pclose(pipe);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

// Finds the program's own window on the X server and gives it the focus;
// reports "window:found", or "window:none" and ends the program. The search
// waits for the window itself; it comes back empty only when xdotool could
// not reach the server, which a server busy with the program's own first
// connections now and then refuses, so it is asked again.
inline void focus_own_window() {
    std::string window;
    for (int attempt = 0; attempt < 20 && window.empty(); ++attempt) {
        if (attempt > 0) SDL_Delay(100);
        window = command_output("xdotool search --sync --name Untitled 2>/dev/null | head -1");
    }
    child_report("window:" + std::string(window.empty() ? "none" : "found"));
    if (window.empty()) system_exit();
    command_output("xdotool windowfocus --sync " + window + " 2>/dev/null");
    // SDL 2 reads the keyboard's whole state when it takes the focus event,
    // not when the focus came: on a loaded machine a modifier that xdotool
    // holds by then (Ctrl of a Ctrl+A typed next) sticks to the keys typed
    // before it. A probe key read back shows that the focus has been taken.
    std::string probe;
    for (int attempt = 0; attempt < 10 && probe != "7a"; ++attempt) {
        command_output("xdotool key z 2>/dev/null");
        probe = read_key_hex(1000);
    }
    while (!read_key_hex(100).empty()) {
    }
}
