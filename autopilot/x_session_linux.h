// The real executable in a real X window: an Xvfb server of the caller's own,
// the game started on it, keys typed with xdotool and the window read back
// with XGetImage. The autopilot plays through it, and the end-to-end tests
// drive the game with it (tests/game/x_session.h). Screenshots become the 40 x 25 character codes
// and colours of mode 13 by matching every 8 x 8 cell with the font, as the
// runtime's own read-back does.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "runtime/screen/fonts.h"
#include "runtime/screen/palettes.h"

struct TextCell {
    int code = 32;
    int color = 0;  // palette index of the glyph's pixels; 0 for a blank cell
};

// A screenshot read as text.
struct TextScreen {
    int width = 0, height = 0;  // of the window
    std::array<std::array<TextCell, 41>, 26> cells{};  // [row][col], 1-based

    // Row text from col over length cells; codes as bytes.
    std::string text(int row, int col, int length) const {
        std::string out;
        for (int c = col; c < col + length && c <= 40; ++c) out += static_cast<char>(cells[row][c].code);
        return out;
    }
    // All 25 rows, unprintable codes as "?", for failure messages.
    std::string dump() const {
        std::string out;
        for (int row = 1; row <= 25; ++row) {
            for (int col = 1; col <= 40; ++col) {
                int code = cells[row][col].code;
                out += code >= 32 && code < 127 ? static_cast<char>(code) : '?';
            }
            out += '\n';
        }
        return out;
    }
    bool shows(int row, int col, const std::string& wanted) const { return text(row, col, static_cast<int>(wanted.size())) == wanted; }
};

inline std::string run_output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[65536];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    pclose(pipe);
    return out;
}

// The character code whose 8 x 8 glyph has these rows; 32 for an unknown
// pattern and for the blank glyphs 0 and 255. A table made once keeps a look
// at the whole screen to a fraction of a millisecond.
inline int glyph_code_of(const uint8_t pattern[8]) {
    static const std::unordered_map<uint64_t, int> codes = [] {
        std::unordered_map<uint64_t, int> table;
        for (int code = 255; code >= 0; --code) {  // the lowest code wins a shared glyph
            uint64_t key = 0;
            for (int y = 0; y < 8; ++y) key = (key << 8) | packed_font8x8[code * 8 + y];
            table[key] = (code == 0 || code == 255) ? 32 : code;
        }
        return table;
    }();
    uint64_t key = 0;
    for (int y = 0; y < 8; ++y) key = (key << 8) | pattern[y];
    auto found = codes.find(key);
    return found == codes.end() ? 32 : found->second;
}

// The first palette index showing this RGB.
inline int palette_index_of(uint32_t rgb) {
    static const std::unordered_map<uint32_t, int> indexes = [] {
        std::unordered_map<uint32_t, int> table;
        for (int index = 255; index >= 0; --index) table[vga256_palette[static_cast<size_t>(index)] & 0xFFFFFF] = index;
        return table;
    }();
    auto found = indexes.find(rgb);
    return found == indexes.end() ? 0 : found->second;
}

// Reads the 40 x 25 cells of a mode-13 picture, shown 1:1 in a 320 x 200
// window or doubled and centred in a full-screen one; rgb_at(x, y) gives the
// pixel at window coordinates as 0xRRGGBB.
template <typename RgbAt>
bool decode_cells(int width, int height, RgbAt rgb_at, TextScreen& screen) {
    screen.width = width;
    screen.height = height;
    int scale = width >= 640 ? 2 : 1;
    int left = (width - 320 * scale) / 2, top = (height - 200 * scale) / 2;
    if (left < 0 || top < 0) return false;
    for (int row = 1; row <= 25; ++row) {
        for (int col = 1; col <= 40; ++col) {
            uint8_t pattern[8] = {};
            uint32_t rgb = 0;
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    uint32_t value = rgb_at(left + ((col - 1) * 8 + x) * scale, top + ((row - 1) * 8 + y) * scale);
                    if (value != 0) {
                        pattern[y] |= static_cast<uint8_t>(0x80 >> x);
                        rgb = value;
                    }
                }
            }
            TextCell cell;
            cell.code = glyph_code_of(pattern);
            if (rgb != 0) cell.color = palette_index_of(rgb);
            screen.cells[row][col] = cell;
        }
    }
    return true;
}

// The pixels of a binary PPM (P6, maxval 255); width 0 when it is not one.
struct PpmView {
    int width = 0, height = 0;
    const uint8_t* pixels = nullptr;

    explicit PpmView(const std::string& ppm) {
        int maxval = 0, consumed = 0;
        if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maxval, &consumed) != 3 || maxval != 255 ||
            ppm.size() < static_cast<size_t>(consumed) + 1 + static_cast<size_t>(width) * height * 3) {
            width = height = 0;
            return;
        }
        pixels = reinterpret_cast<const uint8_t*>(ppm.data()) + consumed + 1;
    }
    // 0xRRGGBB
    uint32_t at(int x, int y) const {
        const uint8_t* p = pixels + 3 * (static_cast<size_t>(y) * width + static_cast<size_t>(x));
        return static_cast<uint32_t>((p[0] << 16) | (p[1] << 8) | p[2]);
    }
};

// Decodes a binary PPM of a mode-13 picture.
inline bool decode_screen(const std::string& ppm, TextScreen& screen) {
    PpmView view(ppm);
    return view.width > 0 && decode_cells(view.width, view.height, [&](int x, int y) { return view.at(x, y); }, screen);
}

// A window whose frame the program draws itself (Wine without a window
// manager) is read without it: TZ_WINDOW_FRAME gives its left, top, right
// and bottom widths. A window without the frame (full screen) stays as it is.
inline std::string without_frame(const std::string& ppm) {
    int left = 0, top = 0, right = 0, bottom = 0;
    const char* frame = std::getenv("TZ_WINDOW_FRAME");
    PpmView view(ppm);
    if (!frame || std::sscanf(frame, "%d,%d,%d,%d", &left, &top, &right, &bottom) != 4 || view.width == 0) return ppm;
    const int width = view.width - left - right, height = view.height - top - bottom;
    if (width <= 0 || height <= 0 || width % 320 != 0 || height % 200 != 0) return ppm;
    std::string out = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
    for (int y = top; y < top + height; ++y)
        out.append(reinterpret_cast<const char*>(view.pixels) + 3 * (static_cast<size_t>(y) * view.width + left), 3 * static_cast<size_t>(width));
    return out;
}

// A failed request (the window went away, or is being resized) must not
// end the test program: Xlib's default handler exits.
inline int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// One XGetImage of a window as a binary PPM: a few milliseconds, where a
// screenshot program took a good part of a second on a busy machine and
// missed screens that show only briefly. Empty when it cannot be read.
inline std::string window_ppm(Display* display, Window window) {
    XSetErrorHandler(ignore_x_error);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width), static_cast<unsigned>(attributes.height),
                              AllPlanes, ZPixmap);
    if (!image) return {};
    const int width = image->width, height = image->height;
    std::string ppm = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
    const size_t base = ppm.size();
    ppm.resize(base + static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned long pixel = image->bits_per_pixel == 32
                                      ? *reinterpret_cast<const uint32_t*>(image->data + static_cast<size_t>(y) * image->bytes_per_line + 4 * static_cast<size_t>(x))
                                      : XGetPixel(image, x, y);
            size_t at = base + 3 * (static_cast<size_t>(y) * width + x);
            ppm[at] = static_cast<char>((pixel & image->red_mask) >> 16);
            ppm[at + 1] = static_cast<char>((pixel & image->green_mask) >> 8);
            ppm[at + 2] = static_cast<char>(pixel & image->blue_mask);
        }
    }
    XDestroyImage(image);
    return ppm;
}

// The same for a window named by its id, or "root", on a display by name.
inline std::string capture_ppm(const std::string& display_name, const std::string& window) {
    Display* display = XOpenDisplay(display_name.c_str());
    if (!display) return {};
    Window id = window == "root" ? DefaultRootWindow(display) : static_cast<Window>(std::strtoul(window.c_str(), nullptr, 10));
    std::string ppm = id != 0 ? window_ppm(display, id) : std::string();
    XCloseDisplay(display);
    return ppm;
}

// Asks an X window to close as a window manager's close button does
// (WM_DELETE_WINDOW).
inline bool send_close_request(const std::string& display_name, const std::string& window) {
    Display* display = window.empty() ? nullptr : XOpenDisplay(display_name.c_str());
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(window.c_str(), nullptr, 10);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XSync(display, False);  // the server has it when this returns
    XCloseDisplay(display);
    return sent != 0;
}

// What becomes of the game's standard error when a session ends: the tests
// check it for sanitizer reports; the autopilot leaves it be.
inline void (*x_session_game_errors_check)(const std::string& stderr_text) = nullptr;

class XSession {
public:
    // Starts an Xvfb of the test's own: the server picks a free display
    // number itself (-displayfd), so tests and other users of the machine
    // never meet on one. False when it cannot run.
    bool start_server() {
        int number_pipe[2];
        if (pipe(number_pipe) != 0) return false;
        server_ = fork();
        if (server_ == 0) {
            close(number_pipe[0]);
            int null_fd = open("/dev/null", O_WRONLY);
            dup2(null_fd, 1);
            dup2(null_fd, 2);
            std::string fd_text = std::to_string(number_pipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr);
            _exit(127);
        }
        close(number_pipe[1]);
        std::string number;
        char c;
        while (read(number_pipe[0], &c, 1) == 1 && c != '\n') number += c;
        close(number_pipe[0]);
        if (number.empty()) return false;
        display_ = ":" + number;
        // A first client lets the server finish setting itself up (its
        // keyboard map); a program that connects during that can be refused.
        for (int i = 0; i < 50 && xdotool("getdisplaygeometry").empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return true;
    }

    // A LeakSanitizer suppression for the sanitizer builds: libX11 keeps a
    // few bytes of every display connection to the end of the process, which
    // is the window system library's business, not this program's.
    std::string leak_suppressions() {
        if (suppressions_.empty()) {
            char name[] = "/tmp/tz-x11-lsan-XXXXXX";
            int fd = mkstemp(name);
            if (fd < 0) return {};
            const char rule[] = "leak:libX11.so\n";
            ssize_t written = write(fd, rule, sizeof rule - 1);
            close(fd);
            suppressions_ = name;
            if (written != static_cast<ssize_t>(sizeof rule - 1)) return {};
        }
        return suppressions_;
    }

    // Starts the program on the display (silent audio) and finds its window.
    bool start_game(const std::string& executable) {
        return start_process([&] { execl(executable.c_str(), executable.c_str(), nullptr); });
    }

    // Starts a process on the display (silent audio) that runs in_child, and
    // finds its window. in_child ends the process itself (exec, or the
    // runtime's own exit). A busy machine sometimes refuses the program its
    // first connection to a fresh server; it then ends at once, and is
    // started again. The process's standard error goes to a file of the
    // session's own, which the end of the session checks for race reports.
    bool start_process(const std::function<void()>& in_child) {
        const std::string suppressions = leak_suppressions();
        if (game_errors_.empty()) {
            char name[] = "/tmp/tz-game-stderr-XXXXXX";
            int fd = mkstemp(name);
            if (fd >= 0) {
                close(fd);
                game_errors_ = name;
            }
        }
        for (int attempt = 1; attempt <= 5; ++attempt) {
            if (attempt > 1) std::this_thread::sleep_for(std::chrono::milliseconds(500));
            game_ = fork();
            if (game_ == 0) {
                int errors = game_errors_.empty() ? -1 : open(game_errors_.c_str(), O_WRONLY | O_APPEND);
                if (errors >= 0) dup2(errors, 2);
                setenv("DISPLAY", display_.c_str(), 1);
                setenv("SDL_AUDIODRIVER", "dummy", 1);
                setenv("SDL_VIDEODRIVER", "x11", 1);  // never a text-mode fallback
                if (!suppressions.empty()) setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
                in_child();
                _exit(127);
            }
            for (int i = 0; i < 400; ++i) {
                std::string id = xdotool("search --name Untitled");
                if (!id.empty()) {
                    window_ = id.substr(0, id.find('\n'));
                    return true;
                }
                int status;
                if (waitpid(game_, &status, WNOHANG) == game_) {
                    game_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                    game_signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                    game_ = -1;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (game_ > 0) return false;
        }
        return false;
    }

    // The server's display, for programs a test starts on it itself.
    const std::string& display() const { return display_; }
    // The program's window (an X window id), once start_game or start_process found it.
    const std::string& window() const { return window_; }
    pid_t game_pid() const { return game_; }

    // True while the program runs. An ended one is waited for here, since a
    // child that has ended but has not been waited for still answers
    // kill(pid, 0); wait_exit then gives its status.
    bool game_running() {
        if (game_ <= 0) return false;
        int status;
        pid_t ended = waitpid(game_, &status, WNOHANG);
        if (ended == 0) return true;
        game_status_ = ended == game_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        game_signal_ = ended == game_ && WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        game_ = -1;
        return false;
    }

    // For a failure message: whether the program still runs, or how it
    // ended, and the last of what it wrote to its standard error.
    std::string game_state() {
        std::string state = game_running()      ? "the program still runs"
                            : game_signal_ != 0 ? "the program was ended by signal " + std::to_string(game_signal_)
                                                : "the program ended with status " + std::to_string(game_status_);
        const std::string errors = game_errors_.empty() ? std::string() : run_output("tail -c 2000 " + game_errors_);
        return errors.empty() ? state : state + "; its standard error ends:\n" + errors;
    }

    std::string xdotool(const std::string& arguments) const {
        return run_output("DISPLAY=" + display_ + " xdotool " + arguments + " 2>/dev/null");
    }

    // Types keys (xdotool key names) into the game's window.
    void key(const std::string& names) const {
        xdotool("windowfocus --sync " + window_);
        xdotool("key --delay 60 " + names);
    }

    // Asks the window to close as a window manager's close button does.
    bool close_window() const { return send_close_request(display_, window_); }

    bool screenshot(TextScreen& screen) const {
        if (!decode_screen(without_frame(capture(window_)), screen)) return false;
        // In full screen SDL shows the picture in a window of its own that
        // covers the display; the named window stays black behind it.
        return screen.width < 640 || decode_screen(capture("root"), screen);
    }

    std::string capture(const std::string& window) const {
        return capture_ppm(display_, window);
    }

    // Screenshots until wanted holds or timeout_ms passes; the last one stays in screen.
    bool wait_for(TextScreen& screen, const std::function<bool(const TextScreen&)>& wanted, int timeout_ms = 15000) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < deadline) {
            if (screenshot(screen) && wanted(screen)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    // Waits for the game to end; its exit status, or -1 (killed after the timeout).
    int wait_exit(int timeout_ms = 10000) {
        if (game_ <= 0) return game_status_;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (std::chrono::steady_clock::now() < deadline) {
            int status;
            if (waitpid(game_, &status, WNOHANG) == game_) {
                game_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(game_, SIGKILL);
        waitpid(game_, nullptr, 0);
        game_ = -1;
        return -1;
    }

    ~XSession() {
        // The server gets SIGTERM, so that it removes its lock and socket.
        if (game_ > 0) kill(game_, SIGKILL);
        if (server_ > 0) kill(server_, SIGTERM);
        for (pid_t pid : {game_, server_})
            if (pid > 0) waitpid(pid, nullptr, 0);
        if (!suppressions_.empty()) unlink(suppressions_.c_str());
        if (!game_errors_.empty()) {
            // A race report in the sanitizer build: the test fails even when
            // it killed the game or never looked at its status.
            if (x_session_game_errors_check) x_session_game_errors_check(run_output("cat " + game_errors_));
            unlink(game_errors_.c_str());
        }
    }

private:
    std::string display_;
    std::string window_;
    pid_t server_ = -1;
    pid_t game_ = -1;
    int game_status_ = -1;  // of a program that game_running saw end
    int game_signal_ = 0;   // the signal that ended it, if one did
    std::string suppressions_;
    std::string game_errors_;
};

// The executable beside the test programs' folder: build/<preset>/tommy-zappo,
// or the program TZ_GAME_COMMAND names (the Windows build under Wine).
inline std::string game_executable() {
    if (const char* command = std::getenv("TZ_GAME_COMMAND")) return command;
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string self(path, static_cast<size_t>(length));
    std::string tests_dir = self.substr(0, self.rfind('/'));
    return tests_dir.substr(0, tests_dir.rfind('/')) + "/tommy-zappo";
}
