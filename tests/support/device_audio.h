// What the audio device received (SDL's disk audio driver writes it to a
// file: 16-bit stereo), compared with sounds as the program renders them at
// its own 22,050 Hz.
//
// | library       | device rate | a sound matches when                        |
// |---------------|-------------|---------------------------------------------|
// | SDL 1.2.15    | 22,050 Hz   | every byte is the same                       |
// | sdl12-compat  | 44,100 Hz   | every sample is within resampling_tolerance  |
// |               |             | of the device's sample at the same moment    |
//
// SDL 2 resamples with a band-limited filter, which leaves the program's
// samples where they were (every second device sample, for 44,100 Hz) but
// not bit for bit, and rings a little around each sound's edges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class DeviceAudio {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);
    // Off by at most this much (of 32,767) when resampled: the filter rounds
    // the triangle waves' corners (by up to 1,190 in the game's tunes, seen
    // here), where a wrong tune or a wrong place is off by thousands.
    static constexpr int resampling_tolerance = 2000;

    explicit DeviceAudio(const std::vector<uint8_t>& raw);

    // The device's length, in the program's frames.
    size_t frames() const;
    // The first program frame at or after from where the whole sound
    // (rendered bytes, 16-bit stereo at 22,050 Hz) reached the device.
    size_t find(const std::vector<uint8_t>& sound, size_t from) const;
    // Nothing sounded over the program frames [from, to).
    bool silent(size_t from, size_t to) const;
    // Left and right carried the same samples throughout.
    bool channels_equal() const;

private:
    std::vector<int16_t> left_, right_;
    int ratio_ = 1;  // device frames per program frame
    bool exact_ = true;
};
