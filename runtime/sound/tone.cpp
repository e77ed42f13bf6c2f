#include "runtime/sound/tone.h"

#include <climits>
#include <cstddef>

std::vector<uint8_t> render_tone(double frequency_hz, double length_s, double volume) {
    double frames_exact = audio_rate_hz * length_s;
    int64_t frames = frames_exact >= 1 ? static_cast<int64_t>(frames_exact) : 1;
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * bytes_per_frame);

    double amplitude = volume * 32767;
    // Written as the original arithmetic, not simplified to 4 f / 22,050, so
    // that every sample rounds as it did there.
    double step = frames_exact == 0 ? 0 : 4 * frequency_hz * length_s / frames_exact;
    double position = 0;
    bool rising = true;
    int32_t previous = 1;
    int64_t last_rise = 0;
    uint8_t* out = bytes.data();
    for (int64_t i = 0; i < frames; ++i) {
        // Above 11,025 Hz a step can carry the position past +-1 once more;
        // going through 32 bits keeps that a plain 16-bit wrap.
        auto sample = static_cast<int16_t>(static_cast<int32_t>(position * amplitude));
        auto bits = static_cast<uint16_t>(sample);
        out[0] = static_cast<uint8_t>(bits);
        out[1] = static_cast<uint8_t>(bits >> 8);
        out[2] = out[0];
        out[3] = out[1];
        out += bytes_per_frame;
        if (sample > 0 && previous <= 0) last_rise = i;
        previous = sample;
        if (rising) {
            position += step;
            if (position >= 1) {
                position = 2 - position;
                rising = false;
            }
        } else {
            position -= step;
            if (position <= -1) {
                position = -2 - position;
                rising = true;
            }
        }
    }
    if (last_rise != 0) bytes.resize(static_cast<size_t>(last_rise) * bytes_per_frame);
    return bytes;
}

int32_t silence_bytes(double length_s) {
    constexpr int32_t most_frames = INT32_MAX / bytes_per_frame;
    double frames_exact = audio_rate_hz * length_s;
    int32_t frames = 1;
    if (frames_exact >= most_frames)
        frames = most_frames;
    else if (frames_exact >= 1)
        frames = static_cast<int32_t>(frames_exact);
    return frames * bytes_per_frame;
}
