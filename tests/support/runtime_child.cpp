#include "support/runtime_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "runtime/platform/dialog.h"

namespace {

int report_fd = -1;

void read_available(int fd, std::string& into, bool& open) {
    char buffer[4096];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0)
        into.append(buffer, static_cast<size_t>(got));
    else if (got == 0)
        open = false;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

void expect_no_sanitizer_report(const std::string& stderr_text) {
    // A race report changes a child's exit status only when it ends through
    // exit; one killed, or one whose status a test does not look at, would
    // keep it quiet.
    if (stderr_text.find("WARNING: ThreadSanitizer") != std::string::npos)
        ADD_FAILURE() << "the child process reported a data race:\n" << stderr_text;
}

bool ChildResult::reported(const std::string& line) const { return std::find(reports.begin(), reports.end(), line) != reports.end(); }

void child_report(const std::string& line) {
    if (report_fd < 0) return;
    std::string out = line + "\n";
    ssize_t written = write(report_fd, out.data(), out.size());
    (void)written;
}

ChildResult run_runtime_child(ProgramRoutine routine, const ChildOptions& options) {
    int report_pipe[2];
    int error_pipe[2];
    ChildResult result;
    if (pipe(report_pipe) != 0 || pipe(error_pipe) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        close(report_pipe[0]);
        close(error_pipe[0]);
        report_fd = report_pipe[1];
        dup2(error_pipe[1], 2);
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<std::string> args{"runtime_child"};
        args.insert(args.end(), options.args.begin(), options.args.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int value = runtime_main(static_cast<int>(args.size()), argv.data(), routine);
        _exit(value);
    }
    close(report_pipe[1]);
    close(error_pipe[1]);
    std::string report_text;
    bool report_open = true;
    bool error_open = true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeout_ms);
    while (report_open || error_open) {
        pollfd fds[2] = {{report_pipe[0], POLLIN, 0}, {error_pipe[0], POLLIN, 0}};
        int ready = poll(fds, 2, 50);
        if (ready > 0) {
            if (report_open && (fds[0].revents & (POLLIN | POLLHUP))) read_available(report_pipe[0], report_text, report_open);
            if (error_open && (fds[1].revents & (POLLIN | POLLHUP))) read_available(error_pipe[0], result.stderr_text, error_open);
        }
        if (std::chrono::steady_clock::now() > deadline) {
            result.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
    }
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    close(report_pipe[0]);
    close(error_pipe[0]);
    result.reports = split_lines(report_text);
    if (WIFEXITED(wait_status)) {
        result.exited = !result.timed_out;
        result.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        result.signal = WTERMSIG(wait_status);
    }
    expect_no_sanitizer_report(result.stderr_text);
    return result;
}

void push_key(SDLKey sym, uint16_t unicode, SDLMod mod) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = unicode;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    event.key.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    SDL_PushEvent(&event);
}

void push_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void answer_next_dialog(SDLKey key, int delay_ms) {
    std::thread([key, delay_ms] {
        while (dialog_state.phase.load() != 1) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        child_report(std::string("caption:") + dialog_state.caption);
        std::string text = dialog_state.text;
        std::replace(text.begin(), text.end(), '\n', '|');
        child_report("text:" + text);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        push_key(key);
    }).detach();
}
