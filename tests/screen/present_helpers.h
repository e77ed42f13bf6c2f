// Helpers of the presentation tests that run the whole runtime in a child:
// waiting for presentations, a test picture, and what the picture should
// look like in a window or full screen.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "runtime/core/runtime_control.h"
#include "runtime/screen/present.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "support/runtime_child.h"

// In the child: returns once at least count whole presentations began after
// the call (the counter moves at a presentation's start).
inline void wait_presentations(int count) {
    int32_t target = presentation.frame_counter.load() + count + 1;
    for (int i = 0; i < 400 && presentation.frame_counter.load() < target; ++i) SDL_Delay(5);
}

// In the child, on a thread of the test's own: runs work while the main loop
// waits at the top of an iteration, then lets it go on. The window surface
// does not change meanwhile, and everything this thread did happens before
// what the main loop does next.
template <class Work>
void hold_main_loop(Work work) {
    control.main_loop_park = 1;
    while (control.main_loop_park.load() == 1) SDL_Delay(1);
    work();
    control.main_loop_park = 0;
}

inline void screen(int32_t mode) { set_screen_mode(mode, 0, 0, 0, 0, 1); }

// Diagonal stripes through every colour the display image has.
inline void draw_test_pattern() {
    ScreenImage& image = *display_image_record();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            image.pixels[y * image.width + x] = static_cast<uint8_t>((x / 3 + y * 5) & image.color_mask);
}

// The colour (0xRRGGBB) that surface pixel (x, y) should have when the display
// image is drawn at (ox, oy), repeat x repeat, on black.
inline uint32_t expected_picture_colour(int x, int y, int ox, int oy, int repeat) {
    const ScreenImage& image = *display_image_record();
    int ix = (x - ox) / repeat, iy = (y - oy) / repeat;
    bool inside = x >= ox && y >= oy && ix < image.width && iy < image.height;
    return inside ? image.palette[image.pixels[iy * image.width + ix]] & 0xFFFFFF : 0;
}

// In the parent: the child ended normally and sent every one of the lines.
inline void expect_reports(const ChildResult& result, std::initializer_list<const char*> lines) {
    ASSERT_TRUE(result.exited) << result.stderr_text;
    std::string all;
    for (const std::string& line : result.reports) all += line + "\n";
    for (const char* line : lines)
        EXPECT_TRUE(result.reported(line)) << "missing: " << line << "\nreported:\n" << all << "status " << result.status << ", standard error:\n" << result.stderr_text;
}
