#include "window_reader_linux.h"

#include <cstdio>

WindowReader::~WindowReader() {
    if (display_) XCloseDisplay(display_);
}

bool WindowReader::open(const std::string& display, const std::string& window) {
    display_ = XOpenDisplay(display.c_str());
    window_ = static_cast<Window>(std::stoul(window));
    return display_ != nullptr;
}

bool WindowReader::read(TextScreen& screen) {
    if (!display_) return false;
    std::string ppm = window_ppm(display_, window_);
    if (ppm.empty()) return false;
    // The game's picture alone: the medal screens are compared with their
    // pictures pixel for pixel, and under Wine the window has a frame.
    last_ppm_ = without_frame(ppm);
    return decode_screen(last_ppm_, screen);
}

bool WindowReader::save_last(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(last_ppm_.data(), 1, last_ppm_.size(), file) == last_ppm_.size();
    return std::fclose(file) == 0 && written;
}

Board board_of(const TextScreen& screen) {
    Board board;
    for (int row = 1; row <= 25; ++row)
        for (int col = 1; col <= 40; ++col) {
            board.code[row][col] = static_cast<uint8_t>(screen.cells[row][col].code);
            board.color[row][col] = static_cast<uint8_t>(screen.cells[row][col].color);
        }
    return board;
}
