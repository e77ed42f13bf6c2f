// Presentation of the display image in the window, and the full-screen switch.
#pragma once

// Start-up: the sizes of the window system's full-screen modes.
void query_fullscreen_modes();

// Main thread, every other loop iteration: shows the display image.
void present_display();
