#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "key_reading.h"
#include "runtime/core/lifecycle.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/input/keyboard.h"
#include "support/runtime_child.h"

extern char** environ;

namespace {

// Keys typed through a real X server into the program's real window: the
// window system's own translation (Unicode, modifiers, the keypad) meets the
// key table.

class XServer {
public:
    explicit XServer(int display) : display_(display) {
        std::string name = ":" + std::to_string(display);
        std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
        const char* argv[] = {"Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        for (int waited = 0; pid_ != 0 && waited < 5000 && !ready_; waited += 50) {
            struct stat info {};
            ready_ = stat(socket.c_str(), &info) == 0;
            if (!ready_) usleep(50000);
        }
    }
    ~XServer() {
        if (pid_ == 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool ready() const { return ready_; }
    std::string display() const { return ":" + std::to_string(display_); }

private:
    int display_;
    pid_t pid_ = 0;
    bool ready_ = false;
};

// Runs a shell command in the child and returns its first output line.
std::string command_output(const std::string& command) {
    std::string line;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        if (std::fgets(buffer, sizeof buffer, pipe)) line = buffer;
        pclose(pipe);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}


TEST(KeyboardX11, TypedKeysReachInkeyAsTheirPcCodes) {
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    XServer server(180 + getpid() % 600);
    if (!server.ready()) GTEST_SKIP() << "Xvfb could not be started";

    ChildOptions options;
    options.environment = {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", server.display()}};
    ChildResult result = run_runtime_child(
        [] {
            std::string window = command_output("xdotool search --sync --name Untitled 2>/dev/null | head -1");
            child_report("window:" + std::string(window.empty() ? "none" : "found"));
            if (window.empty()) system_exit();
            command_output("xdotool windowfocus --sync " + window + " 2>/dev/null");
            SDL_Delay(100);
            // Keypad 6 and 5 are typed by their Num Lock off keysyms: for KP_6
            // itself xdotool would press Num Lock, a key that ends an Alt code.
            command_output(
                "xdotool key --delay 40 a shift+a ctrl+a alt+a Up Down Left Right F1 Escape Return BackSpace eacute "
                "2>/dev/null; xdotool keydown alt key --delay 40 KP_Right KP_Begin keyup alt 2>/dev/null");
            std::string keys;
            for (int i = 0; i < 14; ++i) keys += read_key_hex(3000) + " ";
            child_report("keys:" + keys);
            system_exit();
        },
        options);
    EXPECT_EQ(result.status, 0);
    ASSERT_TRUE(result.reported("window:found")) << result.stderr_text;
    EXPECT_TRUE(result.reported("keys:61 41 01 001e 0048 0050 004b 004d 003b 1b 0d 08 82 41 "))
        << (result.reports.size() > 1 ? result.reports[1] : std::string());
}

}  // namespace
