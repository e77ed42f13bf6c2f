// Presentation of the display image in the window, and the full-screen switch.
#pragma once

#include <atomic>
#include <cstdint>

// Alt+Enter presses counted by the keyboard (main thread) for the presentation.
extern std::atomic<int32_t> alt_enter_count;

// Start-up: the sizes of the window system's full-screen modes.
void query_fullscreen_modes();

// Main thread, every other loop iteration: shows the display image.
void present_display();

// Every SCREEN statement: the next presentation redraws everything.
void invalidate_presentation();
