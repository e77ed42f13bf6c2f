// Benchmarks that measure the whole runtime run it headless in a child
// process; the child writes its figures as text lines to a pipe.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/end_program.h"
#include "runtime/lifecycle/lifecycle.h"

// The write end of the pipe, in the child.
inline int bench_report_fd = -1;

// In the child: one line of figures for the parent.
inline void bench_report(const char* line) {
    std::string out = std::string(line) + "\n";
    ssize_t written = write(bench_report_fd, out.data(), out.size());
    (void)written;
}

// Runs routine under the runtime in a child on SDL's dummy drivers, waits for
// it to end, and returns everything it reported.
inline std::string run_runtime_bench_child(ProgramRoutine routine) {
    std::string text;
    int fds[2];
    if (pipe(fds) != 0) return text;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        bench_report_fd = fds[1];
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        char name[] = "bench";
        char* argv[] = {name, nullptr};
        _exit(runtime_main(1, argv, routine));
    }
    close(fds[1]);
    char buffer[4096];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return text;
}
