#include "runtime/screen/window_scale.h"

#include <gtest/gtest.h>

TEST(WindowScale, RepetitionForTheRequestTheImageAndTheDesktop) {
    struct Case {
        int32_t requested, desktop_width, desktop_height, image_width, image_height, repeat;
    };
    const Case cases[] = {
        {1, 1920, 1080, 320, 200, 1},                  // no option: the emulated screen's size
        {3, 1920, 1080, 320, 200, 3},                  // 960 x 600
        {3, 1920, 1080, 640, 480, 2},                  // 1920 x 1440 would not fit
        {8, 1920, 1080, 320, 200, 5},                  // 1600 x 1000
        {5, 1600, 1000, 320, 200, 5},                  // exactly the desktop
        {2, 600, 400, 640, 480, 1},                    // not even once: still 1
        {4, 0, 0, 320, 200, 4},                        // desktop unknown: as asked
        {window_scale_auto, 1920, 1080, 320, 200, 4},  // within 1728 x 972
        {window_scale_auto, 1920, 1080, 640, 480, 2},
        {window_scale_auto, 3840, 2160, 320, 200, 9},  // not bounded by the option's 8
        {window_scale_auto, 640, 480, 640, 480, 1},    // nothing fits 90 %: still 1
        {window_scale_auto, 0, 0, 320, 200, 1},        // desktop unknown
    };
    for (const Case& c : cases) {
        WindowScale scale{c.requested, c.desktop_width, c.desktop_height};
        EXPECT_EQ(windowed_repeat(scale, c.image_width, c.image_height), c.repeat)
            << c.requested << " on " << c.desktop_width << "x" << c.desktop_height << " for " << c.image_width << "x"
            << c.image_height;
    }
}
