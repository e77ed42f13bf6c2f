// How much bigger than the emulated screen the window is drawn: the program's
// start asks for a factor (or for the largest that suits the desktop), and
// start-up notes the desktop's size before the first video mode is set. The
// presentation takes the factor for each image size anew, so a SCREEN that
// changes the picture's size keeps as much of the request as fits.
//
// | requested            | windowed repetition for a W x H image              |
// |----------------------|----------------------------------------------------|
// | 1 (no option)        | 1: the window is exactly the emulated screen       |
// | N                    | the largest n <= N with nW x nH within the desktop |
// | window_scale_auto    | the largest n with nW x nH within 90 % of it       |
//
// Always at least 1; with the desktop's size unknown (a driver that does not
// tell it), N as asked and auto as 1. Full screen does not use it.
#pragma once

#include <cstdint>

constexpr int32_t window_scale_auto = -1;
constexpr int32_t window_scale_most = 8;  // the largest factor that can be asked for

struct WindowScale {
    int32_t requested = 1;  // 1..window_scale_most or window_scale_auto
    int32_t desktop_width = 0;  // 0: unknown
    int32_t desktop_height = 0;
};

// Written before the threads start (the executable's start, then start-up);
// read by the presentation.
extern WindowScale window_scale;

// Tests: back to the unscaled window and an unknown desktop.
void reset_window_scale();

// The pixel repetition of a windowed image of image_width x image_height.
int32_t windowed_repeat(const WindowScale& scale, int32_t image_width, int32_t image_height);
