// Which SDL 1.2 the process has loaded: the original library, or
// sdl12-compat (the SDL 1.2 of current distributions, built on SDL 2), which
// the test command runs the whole suite on as well. A test that cannot hold
// there for a reason of SDL 2's says so and checks what does hold.
#pragma once

#include <string>
#include <utility>
#include <vector>

// True when the loaded SDL 1.2 is sdl12-compat: it reports itself as 1.2.50
// or later, where the original library ended at 1.2.15.
bool sdl12_compat_loaded();

// Why full-screen pictures cannot be read back on sdl12-compat: it shows a
// full-screen mode as a desktop-sized window into which SDL 2 scales the
// surface, and only a window manager makes that window cover the screen. On
// the bare X server of the tests the window keeps the mode's size and shows a
// scaled part of the picture.
extern const char* const compat_full_screen_reason;

// The audio device's rate for a rate the program asks for: sdl12-compat
// opens SDL 2's device at no less than 44,100 Hz and resamples into it.
int device_rate_hz(int requested_hz);

// The environment that sends a child's audio to a file through SDL's disk
// audio driver at the pace of a real device: the driver sleeps this long
// after each buffer of 1,024 frames (the runtime's mixing buffer), which
// lasts 46 ms at 22,050 Hz but 23 ms at sdl12-compat's 44,100 Hz.
std::vector<std::pair<std::string, std::string>> disk_audio_environment(const std::string& file);
