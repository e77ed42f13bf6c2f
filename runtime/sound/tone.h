// Tone synthesis: triangle waves and silence as PCM sample bytes. No window
// system here, so everything can be checked on plain buffers.
//
// | audio format         |                                        |
// |----------------------|----------------------------------------|
// | rate                 | 22,050 frames per second               |
// | sample               | signed 16-bit, little-endian           |
// | channels             | 2, both carrying the same value        |
// | one frame            | 4 bytes; one second is 88,200 bytes    |
#pragma once

#include <cstdint>
#include <vector>

constexpr int32_t audio_rate_hz = 22050;
constexpr int32_t audio_channels = 2;
constexpr int32_t bytes_per_frame = 4;

// A triangle wave of frequency_hz for length_s seconds at volume (0..1):
// 22,050 x length_s frames (at least one), starting at 0 going up. The
// result is cut back to the last frame where the wave rose through zero, so
// that the tone ends without a click; a tone shorter than one period keeps a
// single frame. The vector's size is the byte count kept.
std::vector<uint8_t> render_tone(double frequency_hz, double length_s, double volume);

// Bytes of silence for length_s seconds: whole frames, at least one.
int32_t silence_bytes(double length_s);
