// Runs the whole runtime in a child process, headless (SDL's dummy video and
// audio drivers unless the environment says otherwise), and collects what the
// child reported through a pipe and what it wrote to standard error.
#pragma once

#include <SDL.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/core/end_program.h"
#include "runtime/lifecycle/lifecycle.h"

struct ChildResult {
    bool exited = false;       // false: killed by a signal or by the time limit
    int status = -1;           // exit status when exited
    int signal = 0;            // the signal when killed by one
    bool timed_out = false;
    std::vector<std::string> reports;  // lines the child sent with child_report
    std::string stderr_text;

    bool reported(const std::string& line) const;
};

struct ChildOptions {
    std::vector<std::string> args;                               // after the program name
    std::vector<std::pair<std::string, std::string>> environment;  // set in the child before start-up
    int timeout_ms = 20000;
};

ChildResult run_runtime_child(ProgramRoutine routine, const ChildOptions& options = {});

// Fails the current test when a child's standard error holds a
// ThreadSanitizer report (run_runtime_child checks every child itself).
void expect_no_sanitizer_report(const std::string& stderr_text);

// In the child: sends one line to the parent.
void child_report(const std::string& line);

// In the child: pushes a key press and release into SDL's event queue.
void push_key(SDLKey sym, uint16_t unicode = 0, SDLMod mod = KMOD_NONE);
void push_quit();

// In the child: starts a thread that waits for the dialog to open, reports
// "caption:<caption>" and "text:<text>", then answers it with key.
void answer_next_dialog(SDLKey key, int delay_ms = 50);
