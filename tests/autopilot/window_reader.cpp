#include "window_reader.h"

#include <X11/Xutil.h>

#include <cstdint>
#include <cstdio>

WindowReader::~WindowReader() {
    if (display_) XCloseDisplay(display_);
}

bool WindowReader::open(const std::string& display, const std::string& window) {
    display_ = XOpenDisplay(display.c_str());
    window_ = static_cast<Window>(std::stoul(window));
    return display_ != nullptr;
}

namespace {

// A failed request (the window went away) must not end the autopilot.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool WindowReader::read(TextScreen& screen) {
    if (!display_) return false;
    XSetErrorHandler(ignore_x_error);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window_, &attributes)) return false;
    XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return false;
    const int width = image->width, height = image->height;
    std::string ppm = "P6 " + std::to_string(width) + " " + std::to_string(height) + " 255\n";
    size_t base = ppm.size();
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
    last_ppm_ = std::move(ppm);
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
