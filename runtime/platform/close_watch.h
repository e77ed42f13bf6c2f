// Close requests from the window system, counted where SDL cannot lose them.
//
// SDL drops the window system's queued events when the display switches
// between window and full screen; a close request that arrives during the
// switch would be lost with them, and the program would go on with its window
// closed by the user. Every close request passes through the X library's
// conversion of incoming events before anything can drop it, so it is
// counted there; the main loop compares the count with the close events SDL
// delivered.
//
// | function                | thread | when                                   |
// |-------------------------|--------|----------------------------------------|
// | watch_close_requests    | main   | once, after SDL's video start-up        |
// | close_requests_arrived  | main   | after each drain of the event queue     |
#pragma once

#include <cstdint>

// Starts counting; nothing happens on a video driver other than X11.
void watch_close_requests();

// Close requests that have arrived from the window system since the start.
uint32_t close_requests_arrived();

// Back to no watch and a count of 0 (tests run many runtimes in one process).
void reset_close_watch();
