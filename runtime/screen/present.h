// Presentation of the display image in the window, the full-screen switch
// and the dialog drawn over the emulated screen.
//
// Threads: present_display runs on the main thread every other loop
// iteration (about 30 times a second); on the program thread only when
// autodisplay is 0. set_fullscreen runs on the program thread and hands its
// request to the main thread through fullscreen_request. SCREEN freezes the
// presentation (presentation_freeze) while it rebuilds the pages.
//
// | fullscreen_state | surface                      | picture               |
// |------------------|------------------------------|-----------------------|
// | 0 windowed       | the image's size times n     | n x n at (0, 0)       |
// | 1 best fit       | best_any mode, full screen   | 2 x 2 when <= 512x384,|
// | 2 4:3            | best_43 mode, full screen    | centred               |
//
// n is 1 unless the program was started with a window scale (window_scale.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "runtime/screen/present_frame.h"
#include "runtime/screen/present_text.h"

struct SDL_Surface;

// Alt+Enter presses counted by the keyboard (main thread) for the presentation.
extern std::atomic<int32_t> alt_enter_count;

struct PresentationState {
    std::vector<ModeSize> fullscreen_modes;  // empty: none, or any size possible
    std::atomic<int32_t> fullscreen_state{fullscreen_windowed};
    std::atomic<int32_t> fullscreen_request{-1};  // -1 none, else the wanted state
    // The state the program's full-screen statement last asked for; and
    // whether its switch is turned round, because the page's full screen was
    // left by the browser's own means (Esc, F11, its control) while the
    // program held it: the program's next switch, which it means as the way
    // out, then enters full screen, as the player's key (S) wants.
    std::atomic<int32_t> program_fullscreen{fullscreen_windowed};
    std::atomic<bool> fullscreen_switch_turned{false};
    // The full screen shown needs no mode and keeps the window's layout
    // (fullscreen.h).
    bool fullscreen_keeps_layout = false;
    SDL_Surface* window_surface = nullptr;
    int32_t window_width = 0;
    int32_t window_height = 0;
    int32_t offset_x = 0;
    int32_t offset_y = 0;
    int32_t repeat_x = 1;
    int32_t repeat_y = 1;
    bool needs_conversion = false;
    std::vector<uint32_t> conversion_buffer;
    std::atomic<int32_t> frame_counter{0};
    std::atomic<int32_t> presented_valid{0};  // 0: the next frame redraws everything
    std::vector<uint8_t> last_pixels;
    uint32_t last_palette[256] = {};
    TextFrameState text;
    bool pointer_hidden_by_program = false;  // the mouse statements' own choice (periphery)
    // The dialog drawn in the last frame: open or not, and which one.
    bool dialog_drawn = false;
    unsigned dialog_serial_drawn = 0;
    // Counts for tests and benchmarks: window updates and video mode changes.
    std::atomic<int32_t> surface_updates{0};
    std::atomic<int32_t> video_mode_sets{0};
};

extern PresentationState presentation;

// Tests: everything back to start (the window surface is forgotten, not freed).
void reset_presentation();

// Start-up: the sizes of the window system's full-screen modes, and the
// desktop's size for the window scale (taken only before the first video mode).
void query_fullscreen_modes();

// Shows the display image (and the open dialog over it).
void present_display();

// Every SCREEN statement: the next presentation redraws everything.
void invalidate_presentation();

// The full-screen statement: 0 or 2 best fit, 1 windowed, 3 the 4:3 mode.
// Returns at once when that state is already shown; a missing full-screen
// flavour is replaced by the other one.
void set_fullscreen(int32_t how);
