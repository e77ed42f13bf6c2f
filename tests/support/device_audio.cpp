#include "support/device_audio.h"

#include <cstdlib>

#include "runtime/sound/tone.h"
#include "support/sdl_library.h"

namespace {

// One channel of 16-bit little-endian stereo frames: 0 left, 1 right.
std::vector<int16_t> channel(const std::vector<uint8_t>& bytes, size_t which) {
    std::vector<int16_t> samples(bytes.size() / bytes_per_frame);
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint8_t* sample = &bytes[bytes_per_frame * i + 2 * which];
        samples[i] = static_cast<int16_t>(sample[0] | (sample[1] << 8));
    }
    return samples;
}

}  // namespace

DeviceAudio::DeviceAudio(const std::vector<uint8_t>& raw) : left_(channel(raw, 0)), right_(channel(raw, 1)) {
    const int device_rate = device_rate_hz(audio_rate_hz);
    ratio_ = device_rate / audio_rate_hz;
    exact_ = device_rate == audio_rate_hz;
}

size_t DeviceAudio::frames() const { return left_.size() / static_cast<size_t>(ratio_); }

size_t DeviceAudio::find(const std::vector<uint8_t>& sound, size_t from) const {
    const std::vector<int16_t> wanted = channel(sound, 0);
    const int tolerance = exact_ ? 0 : resampling_tolerance;
    const size_t step = static_cast<size_t>(ratio_);
    if (wanted.empty()) return from;
    const size_t span = (wanted.size() - 1) * step + 1;
    // The summed error at a start, or -1 where a sample is off by more than
    // the tolerance.
    auto error_at = [&](size_t start) -> long {
        long sum = 0;
        for (size_t i = 0; i < wanted.size(); ++i) {
            int left = std::abs(left_[start + i * step] - wanted[i]);
            int right = std::abs(right_[start + i * step] - wanted[i]);
            if (left > tolerance || right > tolerance) return -1;
            sum += left + right;
        }
        return sum;
    };
    // Every device frame is a candidate start: the device's stream need not
    // begin in step with the program's. A slow wave matches within the
    // tolerance a few frames early and late too; the closest match is the
    // place.
    for (size_t start = from * step; start + span <= left_.size(); ++start) {
        long error = error_at(start);
        if (error < 0) continue;
        size_t best = start;
        for (size_t next = start + 1; next + span <= left_.size(); ++next) {
            long next_error = error_at(next);
            if (next_error < 0) break;
            if (next_error < error) {
                error = next_error;
                best = next;
            }
        }
        return (best + step / 2) / step;
    }
    return npos;
}

bool DeviceAudio::silent(size_t from, size_t to) const {
    const int tolerance = exact_ ? 0 : resampling_tolerance;
    for (size_t i = from * ratio_; i < to * ratio_ && i < left_.size(); ++i)
        if (std::abs(left_[i]) > tolerance || std::abs(right_[i]) > tolerance) return false;
    return true;
}

bool DeviceAudio::channels_equal() const { return left_ == right_; }
