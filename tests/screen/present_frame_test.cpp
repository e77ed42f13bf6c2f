#include "runtime/screen/present_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A target with a guard band of sentinel words around it, so that a write
// outside the visible block shows up.
struct GuardedTarget {
    static constexpr uint32_t sentinel = 0xDEADBEEF;
    static constexpr int32_t guard = 16;
    int32_t width, height, pitch;
    std::vector<uint32_t> words;

    GuardedTarget(int32_t w, int32_t h, int32_t extra_pitch = 3)
        : width(w), height(h), pitch(w + extra_pitch), words(static_cast<size_t>(pitch) * (h + 2 * guard) + 2 * guard, sentinel) {}

    FrameTarget frame() { return {words.data() + guard + static_cast<size_t>(guard) * pitch, width, height, pitch}; }
    uint32_t at(int32_t x, int32_t y) { return frame().pixels[static_cast<size_t>(y) * pitch + x]; }

    // True when every word outside the visible block still holds the sentinel.
    bool outside_untouched() {
        FrameTarget f = frame();
        for (size_t i = 0; i < words.size(); ++i) {
            ptrdiff_t offset = static_cast<ptrdiff_t>(i) - (f.pixels - words.data());
            bool inside = offset >= 0 && offset / pitch < height && offset % pitch < width;
            if (!inside && words[i] != sentinel) return false;
        }
        return true;
    }
};

std::vector<uint32_t> ramp_palette() {
    std::vector<uint32_t> palette(256);
    for (uint32_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u | (i * 0x010203u & 0xFFFFFF);
    return palette;
}

std::vector<uint8_t> pattern(int32_t w, int32_t h) {
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(x * 7 + y * 13);
    return pixels;
}

}  // namespace

TEST(IndexedFrame, EveryPixelGoesThroughThePalette) {
    std::vector<uint32_t> palette = ramp_palette();
    std::vector<uint8_t> pixels = pattern(320, 200);
    GuardedTarget target(320, 200);
    draw_indexed_frame(pixels.data(), 320, 200, palette.data(), target.frame(), 0, 0, 1);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(target.at(x, y), palette[pixels[y * 320 + x]]) << x << "," << y;
    EXPECT_TRUE(target.outside_untouched());
}

TEST(IndexedFrame, RepeatedPixelsFillSquareBlocksAtTheOffset) {
    std::vector<uint32_t> palette = ramp_palette();
    std::vector<uint8_t> pixels = pattern(320, 200);
    struct Case {
        int32_t repeat, ox, oy;
    };
    // Full screen's doubling, a scaled window, and a factor without a loop of its own.
    for (Case c : {Case{2, 192, 184}, Case{3, 0, 0}, Case{5, 7, 3}}) {
        GuardedTarget target(320 * c.repeat + 2 * c.ox, 200 * c.repeat + 2 * c.oy);
        fill_frame(target.frame(), 0);
        draw_indexed_frame(pixels.data(), 320, 200, palette.data(), target.frame(), c.ox, c.oy, c.repeat);
        for (int32_t y = 0; y < target.height; ++y)
            for (int32_t x = 0; x < target.width; ++x) {
                bool inside = x >= c.ox && x < c.ox + 320 * c.repeat && y >= c.oy && y < c.oy + 200 * c.repeat;
                uint32_t expected = inside ? palette[pixels[((y - c.oy) / c.repeat) * 320 + (x - c.ox) / c.repeat]] : 0;
                ASSERT_EQ(target.at(x, y), expected) << "repeat " << c.repeat << " at " << x << "," << y;
            }
        EXPECT_TRUE(target.outside_untouched()) << c.repeat;
    }
}

TEST(IndexedFrame, ImageLargerThanTheTargetIsCutAtItsEdges) {
    std::vector<uint32_t> palette = ramp_palette();
    std::vector<uint8_t> pixels = pattern(640, 480);
    GuardedTarget target(320, 200);
    draw_indexed_frame(pixels.data(), 640, 480, palette.data(), target.frame(), 0, 0, 1);
    EXPECT_EQ(target.at(319, 199), palette[pixels[199 * 640 + 319]]);
    EXPECT_TRUE(target.outside_untouched());
    GuardedTarget doubled(101, 77);
    draw_indexed_frame(pixels.data(), 640, 480, palette.data(), doubled.frame(), 3, 5, 2);
    EXPECT_EQ(doubled.at(3, 5), palette[pixels[0]]);
    EXPECT_EQ(doubled.at(100 - 1, 76 - 1), palette[pixels[((76 - 1 - 5) / 2) * 640 + (100 - 1 - 3) / 2]]);
    EXPECT_TRUE(doubled.outside_untouched());
}

TEST(IndexedFrame, NegativeOffsetsDrawOnlyWhatLandsInside) {
    std::vector<uint32_t> palette = ramp_palette();
    std::vector<uint8_t> pixels = pattern(64, 64);
    GuardedTarget target(40, 30);
    draw_indexed_frame(pixels.data(), 64, 64, palette.data(), target.frame(), -10, -7, 1);
    EXPECT_EQ(target.at(0, 0), palette[pixels[7 * 64 + 10]]);
    EXPECT_EQ(target.at(39, 29), palette[pixels[36 * 64 + 49]]);
    EXPECT_TRUE(target.outside_untouched());
    GuardedTarget far(40, 30);
    draw_indexed_frame(pixels.data(), 64, 64, palette.data(), far.frame(), 500, -500, 2);
    EXPECT_EQ(far.at(0, 0), GuardedTarget::sentinel);
    EXPECT_TRUE(far.outside_untouched());
}

TEST(IndexedFrame, ColourTableKeepsToTheUsedEntries) {
    std::vector<uint32_t> palette = ramp_palette();
    uint32_t table[256];
    build_colour_table(palette.data(), 15, table);
    EXPECT_EQ(table[3], palette[3]);
    EXPECT_EQ(table[20], palette[4]);  // a mode-12 byte of 20 shows colour 4
    EXPECT_EQ(table[255], palette[15]);
    build_colour_table(palette.data(), 255, table);
    EXPECT_EQ(table[200], palette[200]);
}

TEST(Rgb32Frame, CopiedPixelForPixelAndDoubled) {
    std::vector<uint32_t> pixels(6 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u + static_cast<uint32_t>(i) * 0x111;
    GuardedTarget target(6, 4);
    draw_rgb32_frame(pixels.data(), 6, 4, target.frame(), 0, 0, 1);
    EXPECT_EQ(target.at(5, 3), pixels[23]);
    GuardedTarget doubled(20, 12);
    draw_rgb32_frame(pixels.data(), 6, 4, doubled.frame(), 4, 2, 2);
    EXPECT_EQ(doubled.at(4, 2), pixels[0]);
    EXPECT_EQ(doubled.at(5, 3), pixels[0]);
    EXPECT_EQ(doubled.at(15, 9), pixels[23]);
    EXPECT_EQ(doubled.at(16, 10), GuardedTarget::sentinel);
    EXPECT_TRUE(doubled.outside_untouched());
}

TEST(Blink, Mode10EntriesFollowTheSelectorsAndPhase) {
    const uint32_t table[18] = {0, 0, 0, 0x808080, 0x808080, 0x808080, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                0, 0x808080, 0xFFFFFF, 0, 0x808080, 0xFFFFFF, 0, 0x808080, 0xFFFFFF};
    uint32_t palette[256] = {};
    palette[4] = 0;
    palette[5] = 4;
    palette[6] = 7;
    palette[7] = 200;  // names no colour: entry 3 stays
    palette[3] = 0x123456;
    apply_blink_colours(palette, table, 0);
    EXPECT_EQ(palette[0], 0u);
    EXPECT_EQ(palette[1], 0x808080u);
    EXPECT_EQ(palette[2], 0xFFFFFFu);
    EXPECT_EQ(palette[3], 0x123456u);
    apply_blink_colours(palette, table, 1);
    EXPECT_EQ(palette[1], 0x808080u);
    EXPECT_EQ(palette[2], 0x808080u);
}

TEST(Channels, WordsAreMovedToTheSurfacesByteOrder) {
    uint32_t words[2] = {0x00112233, 0x00AABBCC};
    FrameTarget source{words, 2, 1, 2};
    uint8_t out[8] = {};
    copy_to_channels(source, out, 8, 0xFF, 0xFF00, 0xFF0000);  // red in byte 0
    EXPECT_EQ(out[0], 0x11);
    EXPECT_EQ(out[1], 0x22);
    EXPECT_EQ(out[2], 0x33);
    EXPECT_EQ(out[4], 0xAA);
    copy_to_channels(source, out, 8, 0xFF000000, 0xFF0000, 0xFF00);
    EXPECT_EQ(out[3], 0x11);
    EXPECT_EQ(out[2], 0x22);
    EXPECT_EQ(out[1], 0x33);
    EXPECT_EQ(out[0], 0x00);
}

TEST(ModeChoice, DoubledScreenPicksTheLeastWasteAndLaterOnTies) {
    std::vector<ModeSize> modes{{1280, 1024}, {1024, 768}, {800, 600}, {720, 480}, {640, 480}, {640, 400}};
    ModeChoice choice = choose_fullscreen_modes(modes, 320, 200);  // wants 640 x 400
    EXPECT_EQ(choice.best_any, 5);
    EXPECT_EQ(choice.best_43, 4);
    choice = choose_fullscreen_modes(modes, 640, 480);  // not doubled
    EXPECT_EQ(choice.best_any, 4);
    EXPECT_EQ(choice.best_43, 4);
    std::vector<ModeSize> ties{{800, 500}, {700, 600}, {720, 580}};  // equal waste: the later wins
    EXPECT_EQ(choose_fullscreen_modes(ties, 320, 200).best_any, 2);
}

TEST(ModeChoice, NarrowModesAndTooSmallModesAreNoCandidates) {
    std::vector<ModeSize> modes{{639, 2000}, {2000, 399}, {512, 384}};
    ModeChoice choice = choose_fullscreen_modes(modes, 320, 200);
    EXPECT_EQ(choice.best_any, -1);
    EXPECT_EQ(choice.best_43, -1);
    EXPECT_EQ(choose_fullscreen_modes({}, 320, 200).best_any, -1);
    ModeChoice big = choose_fullscreen_modes({{1024, 768}}, 1280, 1024);
    EXPECT_EQ(big.best_any, -1);
}

TEST(FullscreenDecision, RequestsWinOverAltEnter) {
    std::vector<ModeSize> modes{{1024, 768}, {800, 500}};
    ModeChoice choice = choose_fullscreen_modes(modes, 320, 200);
    ASSERT_EQ(choice.best_any, 1);
    ASSERT_EQ(choice.best_43, 0);
    FullscreenDecision d = decide_fullscreen(0, 2, true, modes, choice);
    EXPECT_EQ(d.state, 2);
    EXPECT_TRUE(d.changed);
    d = decide_fullscreen(2, 0, false, modes, choice);
    EXPECT_EQ(d.state, 0);
    EXPECT_TRUE(d.changed);
    d = decide_fullscreen(0, -1, false, modes, choice);
    EXPECT_EQ(d.state, 0);
    EXPECT_FALSE(d.changed);
}

TEST(FullscreenDecision, AltEnterCyclesWindowedBestFitFourThreeWindowed) {
    std::vector<ModeSize> modes{{1024, 768}, {800, 500}};
    ModeChoice choice = choose_fullscreen_modes(modes, 320, 200);
    int32_t state = 0;
    std::vector<int32_t> seen;
    for (int i = 0; i < 4; ++i) {
        FullscreenDecision d = decide_fullscreen(state, -1, true, modes, choice);
        EXPECT_TRUE(d.changed);
        state = d.state;
        seen.push_back(state);
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 0, 1}));
}

TEST(FullscreenDecision, FourThreeEqualToBestFitOrMissingMeansWindowed) {
    std::vector<ModeSize> xvfb{{1024, 768}};
    ModeChoice choice = choose_fullscreen_modes(xvfb, 320, 200);
    EXPECT_EQ(decide_fullscreen(1, -1, true, xvfb, choice).state, 0);
    EXPECT_EQ(decide_fullscreen(0, 2, false, xvfb, choice).state, 0);
    std::vector<ModeSize> wide{{1280, 720}};
    choice = choose_fullscreen_modes(wide, 320, 200);
    EXPECT_EQ(decide_fullscreen(0, 2, false, wide, choice).state, 0);
    EXPECT_EQ(decide_fullscreen(0, 1, false, wide, choice).state, 1);
}

TEST(FullscreenDecision, NoModesKeepTheWindow) {
    ModeChoice none;
    FullscreenDecision d = decide_fullscreen(0, -1, true, {}, none);
    EXPECT_EQ(d.state, 0);
    EXPECT_FALSE(d.changed);
    d = decide_fullscreen(0, 1, false, {}, none);
    EXPECT_EQ(d.state, 0);
    EXPECT_FALSE(d.changed);
    d = decide_fullscreen(0, 2, false, {}, none);
    EXPECT_EQ(d.state, 0);
}

TEST(FullscreenDecision, StateWhoseModeNoLongerFitsFallsBack) {
    std::vector<ModeSize> modes{{800, 600}, {800, 500}};
    ModeChoice big = choose_fullscreen_modes(modes, 1024, 768);
    FullscreenDecision d = decide_fullscreen(1, -1, false, modes, big);
    EXPECT_EQ(d.state, 0);
    EXPECT_TRUE(d.changed);
    ModeChoice only_wide = choose_fullscreen_modes({{800, 500}}, 320, 200);
    d = decide_fullscreen(2, -1, false, {{800, 500}}, only_wide);
    EXPECT_EQ(d.state, 1);
    EXPECT_TRUE(d.changed);
}

TEST(FullscreenDecision, ArgumentMapping) {
    EXPECT_EQ(wanted_fullscreen_state(0), 1);
    EXPECT_EQ(wanted_fullscreen_state(1), 0);
    EXPECT_EQ(wanted_fullscreen_state(2), 1);
    EXPECT_EQ(wanted_fullscreen_state(3), 2);
    EXPECT_EQ(wanted_fullscreen_state(4), -1);
    EXPECT_EQ(wanted_fullscreen_state(-1), -1);
}

TEST(Layout, WindowedIsTheImageTimesItsScaleAndFullScreenCentresTheDoubledImage) {
    std::vector<ModeSize> modes{{1024, 768}, {640, 480}};
    ModeChoice choice = choose_fullscreen_modes(modes, 320, 200);
    FrameLayout windowed = frame_layout(320, 200, 0, modes, choice, 1);
    EXPECT_EQ(windowed.surface_width, 320);
    EXPECT_EQ(windowed.surface_height, 200);
    EXPECT_EQ(windowed.repeat, 1);
    FrameLayout full = frame_layout(320, 200, 1, modes, choice, 3);
    EXPECT_EQ(full.surface_width, 640);
    EXPECT_EQ(full.surface_height, 480);
    EXPECT_EQ(full.offset_x, 0);
    EXPECT_EQ(full.offset_y, 40);  // 40 black rows above and below
    EXPECT_EQ(full.repeat, 2);
    choice = choose_fullscreen_modes(modes, 640, 480);
    FrameLayout mode12 = frame_layout(640, 480, 1, modes, choice, 1);
    EXPECT_EQ(mode12.surface_width, 640);
    EXPECT_EQ(mode12.offset_y, 0);
    EXPECT_EQ(mode12.repeat, 1);
    FrameLayout text = frame_layout(640, 400, 0, modes, choice, 1);
    EXPECT_EQ(text.surface_width, 640);
    EXPECT_EQ(text.surface_height, 400);
    // A scaled window: the image n times each way; full screen ignores it (above).
    FrameLayout scaled = frame_layout(320, 200, 0, modes, choose_fullscreen_modes(modes, 320, 200), 3);
    EXPECT_EQ(scaled.surface_width, 960);
    EXPECT_EQ(scaled.surface_height, 600);
    EXPECT_EQ(scaled.offset_x, 0);
    EXPECT_EQ(scaled.repeat, 3);
}

TEST(Cursor, ShapesFromStartAndStopLines) {
    auto rows = [](int s, int e, int ch) {
        CursorRows r = cursor_rows(s, e, ch);
        return r.empty() ? std::vector<int32_t>{} : std::vector<int32_t>{r.first, r.last};
    };
    using V = std::vector<int32_t>;
    EXPECT_EQ(rows(0, 0, 16), (V{0, 0}));
    EXPECT_EQ(rows(4, 0, 16), V{});
    EXPECT_EQ(rows(6, 3, 16), (V{3, 15}));
    EXPECT_EQ(rows(2, 2, 16), (V{2, 2}));
    EXPECT_EQ(rows(4, 4, 16), (V{14, 14}));  // a bottom row of 15 counts as 14
    EXPECT_EQ(rows(4, 4, 8), (V{7, 7}));
    EXPECT_EQ(rows(1, 3, 16), (V{1, 3}));
    EXPECT_EQ(rows(0, 7, 16), (V{0, 15}));
    EXPECT_EQ(rows(2, 3, 16), (V{2, 3}));
    EXPECT_EQ(rows(2, 4, 16), (V{12, 14}));
    EXPECT_EQ(rows(2, 9, 8), (V{2, 7}));
    EXPECT_EQ(rows(6, 7, 16), (V{13, 14}));
    EXPECT_EQ(rows(6, 8, 8), (V{5, 7}));
    EXPECT_EQ(rows(3, 9, 16), (V{8, 15}));  // the lower half, no adjustment
    EXPECT_EQ(rows(20, 20, 8), (V{7, 7}));
    EXPECT_EQ(rows(9, 8, 8), V{});  // starts below the cell
}
