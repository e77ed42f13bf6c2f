// Screenshots of the game's window straight from the X server: one
// XGetImage per look, a few milliseconds, so the autopilot can look after
// every move; the same decoding into cells as the end-to-end tests use.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "board.h"
#include "x_session_linux.h"

class WindowReader {
public:
    WindowReader() = default;
    WindowReader(const WindowReader&) = delete;
    WindowReader& operator=(const WindowReader&) = delete;
    ~WindowReader();

    bool open(const std::string& display, const std::string& window);
    // False when the window cannot be read (it is gone, or being resized).
    bool read(TextScreen& screen);
    // The last picture read, without the window's frame, as a binary PPM.
    bool save_last(const std::string& path) const;
    const std::string& last_ppm() const { return last_ppm_; }

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    std::string last_ppm_;
};

Board board_of(const TextScreen& screen);
