#include "support/sdl_library.h"

#include <SDL.h>

#include <algorithm>

bool sdl12_compat_loaded() {
    const SDL_version* version = SDL_Linked_Version();
    return version->major == 1 && version->minor == 2 && version->patch >= 50;
}

const char* const compat_full_screen_reason =
    "sdl12-compat scales full screen into a desktop-sized window, which only a window manager spreads over the "
    "screen; the test's bare X server shows a scaled part of the picture";

int device_rate_hz(int requested_hz) { return sdl12_compat_loaded() ? std::max(requested_hz, 44100) : requested_hz; }

std::vector<std::pair<std::string, std::string>> disk_audio_environment(const std::string& file) {
    constexpr int buffer_frames = 1024;
    const int delay_ms = buffer_frames * 1000 / device_rate_hz(22050);
    return {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", file}, {"SDL_DISKAUDIODELAY", std::to_string(delay_ms)}};
}
