// What full screen is on the platform when no full-screen mode holds the
// picture doubled. A window system has no other full screen, and the window
// stays. A page has the browser's own (no bars), which needs no mode: it
// keeps the window's picture, at the largest whole scale the page has room
// for (on a phone, 844 x 390 CSS pixels, beside the touch controls).
#pragma once

// Main thread, at a full-screen switch: true when full screen needs no mode
// and keeps the window's layout.
bool fullscreen_without_mode();
