// The cost of presenting a mode-13 frame into a real SDL surface (dummy
// video driver), set beside a plain memcpy of the same output size and a
// memcmp of the pixels:
//
// | case                         | measured against                    |
// |------------------------------|-------------------------------------|
// | changed frame, windowed      | memcpy of 320 x 200 x 4 bytes       |
// | changed frame, full screen   | memcpy of 640 x 400 x 4 bytes       |
// | changed frame, window x 3    | memcpy of 960 x 600 x 4 bytes       |
// | unchanged frame (also x 3)   | memcmp of 320 x 200 bytes           |
//
// The changed frames differ in their last pixel, so the comparison runs over
// the whole screen before the conversion.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/screen/present.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/window_scale.h"

namespace {

constexpr size_t mode13_pixel_count = 320 * 200;

// A mode-13 screen with a pattern, presented once in the wanted state, in a
// window scaled window_repeat times.
bool prepare(int32_t fullscreen, int32_t window_repeat = 1) {
    static bool started = false;
    if (!started) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        if (SDL_Init(SDL_INIT_VIDEO) < 0) return false;
        started = true;
    }
    reset_runtime_control();
    reset_presentation();
    reset_window_scale();
    window_scale.requested = window_repeat;  // the dummy driver tells no desktop size: as asked
    control.autodisplay = 0;  // present_display runs here, not on a main loop
    screen_start_tables();
    screen_start();
    set_screen_mode(13, 0, 0, 0, 0, 1);
    for (size_t i = 0; i < mode13_pixel_count; ++i) emulated_memory[mode13_pixels_offset + i] = static_cast<uint8_t>(i * 7);
    presentation.fullscreen_modes = {{1024, 768}, {640, 480}};
    present_display();
    if (fullscreen) set_fullscreen(2);
    present_display();
    return presentation.window_surface != nullptr && presentation.fullscreen_state.load() == fullscreen &&
           (fullscreen || presentation.window_width == 320 * window_repeat);
}

void changed_frames(benchmark::State& state, int32_t fullscreen, int32_t window_repeat = 1) {
    if (!prepare(fullscreen, window_repeat)) {
        state.SkipWithError("no video surface");
        return;
    }
    uint8_t& last = emulated_memory[mode13_pixels_offset + mode13_pixel_count - 1];
    int32_t updates = presentation.surface_updates.load();
    for (auto _ : state) {
        ++last;
        present_display();
    }
    if (presentation.surface_updates.load() - updates != static_cast<int32_t>(state.iterations()))
        state.SkipWithError("a changed frame was not drawn");
}

void BM_PresentChangedFrameWindowed(benchmark::State& state) { changed_frames(state, 0); }
BENCHMARK(BM_PresentChangedFrameWindowed);

void BM_PresentChangedFrameFullScreen(benchmark::State& state) { changed_frames(state, 1); }
BENCHMARK(BM_PresentChangedFrameFullScreen);

void BM_PresentChangedFrameScaled(benchmark::State& state) { changed_frames(state, 0, 3); }
BENCHMARK(BM_PresentChangedFrameScaled);

void unchanged_frames(benchmark::State& state, int32_t window_repeat) {
    if (!prepare(0, window_repeat)) {
        state.SkipWithError("no video surface");
        return;
    }
    int32_t updates = presentation.surface_updates.load();
    for (auto _ : state) present_display();
    if (presentation.surface_updates.load() != updates) state.SkipWithError("an unchanged frame was drawn");
}

void BM_PresentUnchangedFrame(benchmark::State& state) { unchanged_frames(state, 1); }
BENCHMARK(BM_PresentUnchangedFrame);

void BM_PresentUnchangedFrameScaled(benchmark::State& state) { unchanged_frames(state, 3); }
BENCHMARK(BM_PresentUnchangedFrameScaled);

void BM_MemcpyBytes(benchmark::State& state) {
    size_t bytes = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyBytes)->Arg(320 * 200 * 4)->Arg(640 * 400 * 4)->Arg(960 * 600 * 4);

void BM_MemcmpPixels(benchmark::State& state) {
    std::vector<uint8_t> a(mode13_pixel_count, 3), b(mode13_pixel_count, 3);
    for (auto _ : state) {
        int same = std::memcmp(a.data(), b.data(), a.size());
        benchmark::DoNotOptimize(same);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcmpPixels);

}  // namespace
