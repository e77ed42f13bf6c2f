// The real executable in a native Wayland window: sdl12-compat can open one
// through SDL 2's Wayland video driver, where the original SDL 1.2 has only
// X11. The compositor is Weston, drawing its output into a window of an Xvfb
// server of the test's own (its X11 back end, with the pixman renderer), so
// that the picture is read back like any X window's and keys reach Weston
// through X. Weston's headless back end would need no X server, but it
// offers no input seat, and SDL 2.26's Wayland start-up ends in a
// segmentation fault without one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "game/window_waits.h"
#include "game/x_session.h"
#include "runtime/screen/fonts.h"
#include "support/sdl_library.h"
#include "support/x_server.h"

namespace {

constexpr const char* weston_socket = "tz-wayland-0";

void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A Weston compositor in a window of an X server, with its socket in a
// runtime folder of its own; stopped and cleared away when the object goes.
class NestedWeston {
public:
    bool start(const std::string& x_display) {
        char folder[] = "/tmp/tz-wayland-XXXXXX";
        if (!mkdtemp(folder)) return false;
        runtime_dir_ = folder;
        pid_ = fork();
        if (pid_ == 0) {
            int null_fd = open("/dev/null", O_WRONLY);
            dup2(null_fd, 1);
            dup2(null_fd, 2);
            setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
            setenv("DISPLAY", x_display.c_str(), 1);
            std::string socket = std::string("--socket=") + weston_socket;
            execlp("weston", "weston", "--backend=x11-backend.so", "--use-pixman", socket.c_str(), "--width=1024", "--height=768",
                   "--idle-time=0", static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string socket_path = runtime_dir_ + "/" + weston_socket;
        for (int look = 0; look < 100; ++look) {
            if (access(socket_path.c_str(), F_OK) == 0) return true;
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            pause_ms(100);
        }
        return false;
    }
    ~NestedWeston() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        if (!runtime_dir_.empty()) std::filesystem::remove_all(runtime_dir_, ignored);
    }
    const std::string& runtime_dir() const { return runtime_dir_; }

private:
    pid_t pid_ = -1;
    std::string runtime_dir_;
};

struct Origin {
    int x = -1, y = -1;
};

// Where in Weston's output the game's 320 x 200 picture lies: the place of
// the cell at row, col that shows glyph code on black. Weston puts a new
// window where it likes, and frames it with the window's title bar.
Origin find_picture(const PpmView& view, int row, int col, int code) {
    const int cell_x = (col - 1) * 8, cell_y = (row - 1) * 8;
    auto cell_matches = [&](int left, int top) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                bool lit = (packed_font8x8[code * 8 + y] & (0x80 >> x)) != 0;
                if ((view.at(left + x, top + y) != 0) != lit) return false;
            }
        return true;
    };
    for (int top = cell_y; top + 200 - cell_y <= view.height; ++top)
        for (int left = cell_x; left + 320 - cell_x <= view.width; ++left)
            if (cell_matches(left, top)) return {left - cell_x, top - cell_y};
    return {};
}

bool read_picture(const PpmView& view, Origin origin, TextScreen& screen) {
    if (origin.x < 0 || origin.x + 320 > view.width || origin.y + 200 > view.height) return false;
    return decode_cells(320, 200, [&](int x, int y) { return view.at(origin.x + x, origin.y + y); }, screen);
}

}  // namespace

// F in the menu ends it. (The window's close button cannot be clicked here:
// Weston's X11 back end leaves its pointer where it was when xdotool moves
// X's.)
TEST(Wayland, GameShowsItsSplashAndMenuInAWaylandWindowAndFEndsItWithStatusZero) {
    if (!sdl12_compat_loaded()) GTEST_SKIP() << "the original SDL 1.2 has no Wayland video driver";
    if (std::system("command -v weston >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "weston or xdotool is not installed";
    XServer x_server;
    if (x_server.display().empty()) GTEST_SKIP() << "Xvfb could not start";
    NestedWeston weston;
    ASSERT_TRUE(weston.start(x_server.display())) << "weston did not start";

    const std::string executable = game_executable();
    pid_t game = fork();
    if (game == 0) {
        // No X display to fall back on: the window is Wayland's or none.
        unsetenv("DISPLAY");
        setenv("XDG_RUNTIME_DIR", weston.runtime_dir().c_str(), 1);
        setenv("WAYLAND_DISPLAY", weston_socket, 1);
        setenv("SDL_VIDEODRIVER", "wayland", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The exit status within timeout_ms; -1 when the game is still running.
    auto game_status = [&](int timeout_ms) {
        for (int waited = 0; waited < timeout_ms; waited += 20) {
            int status = 0;
            if (waitpid(game, &status, WNOHANG) == game) {
                game = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            pause_ms(20);
        }
        return -1;
    };
    auto stop_game = [&] {
        if (game <= 0) return;
        kill(game, SIGKILL);
        waitpid(game, nullptr, 0);
        game = -1;
    };

    // The first picture: the splash's name, wherever Weston put the window.
    Origin origin;
    TextScreen screen;
    for (int look = 0; look < 200 && origin.x < 0 && game > 0; ++look) {
        std::string ppm = capture_ppm(x_server.display(), "root");
        PpmView view(ppm);
        if (view.width > 0) origin = find_picture(view, 10, 12, 'M');
        if (origin.x >= 0 && !(read_picture(view, origin, screen) && screen.shows(10, 12, "MIRANEX"))) origin = {};
        if (origin.x < 0) game_status(100);
    }
    if (origin.x < 0) {
        bool ended = game <= 0;
        stop_game();
        FAIL() << "the splash never appeared in a Wayland window; the game " << (ended ? "had ended" : "ran on");
    }

    // The menu follows in the same window.
    bool menu = false;
    for (int look = 0; look < 600 && !menu && game > 0; ++look) {
        std::string ppm = capture_ppm(x_server.display(), "root");
        menu = read_picture(PpmView(ppm), origin, screen) && on_menu(screen);
        if (!menu) pause_ms(100);
    }
    EXPECT_TRUE(menu) << screen.dump();

    // The menu reads keys a moment after it is drawn. Weston takes keys from
    // X only while its window has the X focus, and gives them to the game's
    // window, which it focused when it appeared; on a loaded machine it takes
    // that focus late. C, which changes the menu's picture, is typed until
    // the picture shows it, so that F is typed once the game gets keys.
    pause_ms(1000);
    const std::string weston_keys =
        "DISPLAY=" + x_server.display() + " xdotool search --classname weston-1 windowfocus %1 sleep 0.3 key ";
    const std::string menu_before = screen.dump();
    bool keys_reach_game = false;
    for (int attempt = 0; attempt < 10 && !keys_reach_game && game > 0; ++attempt) {
        run_output(weston_keys + "c 2>/dev/null");
        for (int look = 0; look < 20 && !keys_reach_game; ++look) {
            pause_ms(100);
            std::string ppm = capture_ppm(x_server.display(), "root");
            keys_reach_game = read_picture(PpmView(ppm), origin, screen) && on_menu(screen) && screen.dump() != menu_before;
        }
    }
    EXPECT_TRUE(keys_reach_game) << screen.dump();
    run_output(weston_keys + "f 2>/dev/null");
    int status = game_status(10000);
    stop_game();
    EXPECT_EQ(status, 0);
}
