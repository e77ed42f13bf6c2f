// Any byte string given to PLAY either renders or is error 5; none may crash,
// hang, or leave the settings outside their ranges.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/core/emulated_memory.h"
#include "runtime/sound/play.h"

namespace {

// Variable references read the string segment: give them varied values.
void fill_string_segment() {
    uint32_t state = 12345;
    for (size_t i = 0; i < 0x10000 + 16; ++i) {
        state = state * 1103515245u + 12345u;
        emulated_memory[string_segment_offset + i] = static_cast<uint8_t>(state >> 24);
    }
}

bool settings_in_range(const PlaySettings& s) {
    return s.tempo >= 32 && s.tempo <= 255 && s.default_length >= 1 && s.default_length <= 64 && s.octave >= 0 && s.octave <= 6 &&
           s.volume >= 0 && s.volume <= 100 && (s.articulation == 0 || s.articulation == 0.125 || s.articulation == 0.25) &&
           (s.background == 0 || s.background == 1) && s.unit_duration > 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fill_string_segment();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PlaySettings settings;
    std::vector<MusicPart> parts;
    int32_t error = render_music(data, size, settings, parts);
    if (error != 0 && error != 5) __builtin_trap();
    if (error == 5 && !parts.empty()) __builtin_trap();
    for (const MusicPart& part : parts)
        if (part.samples.empty() || part.samples.size() % 4 != 0) __builtin_trap();
    if (!settings_in_range(settings)) __builtin_trap();
    // A second statement starts from what the first left.
    render_music(data, size, settings, parts);
    if (!settings_in_range(settings)) __builtin_trap();
    return 0;
}
