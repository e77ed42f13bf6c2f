// What the game made the audio device play, captured by SDL's disk audio
// driver into a raw file (16-bit stereo), checked against the tunes as PLAY
// renders them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "runtime/sound/play.h"
#include "runtime/sound/tone.h"
#include "support/device_audio.h"
#include "support/sdl_library.h"
#include "support/runtime_child.h"

// A child whose audio goes to a file of its own.
struct AudioCapture {
    std::string file = "/tmp/tz-game-audio-" + std::to_string(getpid()) + ".raw";

    ChildOptions options(int timeout_ms) const {
        ChildOptions child;
        child.timeout_ms = timeout_ms;
        child.environment = disk_audio_environment(file);
        return child;
    }

    std::vector<uint8_t> take() const {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::remove(file.c_str());
        return bytes;
    }
};

// In the child, before it ends: the last sound the mixer took is still on
// its way to the device (on sdl12-compat through SDL 2's buffers too, which
// the device's closing drops); a moment lets it arrive.
inline void let_the_last_sound_reach_the_device() { SDL_Delay(300); }

// A tune as the device receives it, at the given tempo (the tunes set their
// own octave and length but not the tempo).
inline std::vector<uint8_t> rendered_tune(const std::string& tune, int tempo) {
    PlaySettings settings;
    std::vector<MusicPart> parts;
    std::string music = "T" + std::to_string(tempo) + tune;
    EXPECT_EQ(render_music(reinterpret_cast<const uint8_t*>(music.data()), music.size(), settings, parts), 0) << tune;
    std::vector<uint8_t> samples;
    for (const MusicPart& part : parts) samples.insert(samples.end(), part.samples.begin(), part.samples.end());
    return samples;
}

// The sounding part of a tune: leading and trailing pauses are silence that
// merges with the silence around it.
inline std::vector<uint8_t> sounding_part(std::vector<uint8_t> samples) {
    auto first = std::find_if(samples.begin(), samples.end(), [](uint8_t b) { return b != 0; });
    auto last = std::find_if(samples.rbegin(), samples.rend(), [](uint8_t b) { return b != 0; }).base();
    if (first >= last) return {};
    return std::vector<uint8_t>(first, last);
}

struct ExpectedTune {
    std::string music;
    int tempo;
};

// Checks that the device played exactly these tunes, whole and in this
// order, with nothing but silence before, between and after them, the same
// in both channels. Tunes made only of pauses are silence themselves and
// need not be listed. On sdl12-compat the device resamples: the tunes are
// compared within DeviceAudio's tolerance there.
inline void expect_only_these_tunes(const std::vector<uint8_t>& raw, const std::vector<ExpectedTune>& tunes) {
    DeviceAudio device(raw);
    EXPECT_TRUE(device.channels_equal());
    size_t end = 0;
    for (size_t i = 0; i < tunes.size(); ++i) {
        std::vector<uint8_t> sound = sounding_part(rendered_tune(tunes[i].music, tunes[i].tempo));
        ASSERT_FALSE(sound.empty()) << tunes[i].music;
        size_t start = device.find(sound, end);
        ASSERT_NE(start, DeviceAudio::npos) << "tune " << i << " \"" << tunes[i].music << "\" at tempo " << tunes[i].tempo
                                             << " not played (whole, after the one before)";
        EXPECT_TRUE(device.silent(end, start)) << "something sounded before tune " << i << " \"" << tunes[i].music << "\"";
        end = start + sound.size() / bytes_per_frame;
    }
    EXPECT_TRUE(device.silent(end, device.frames())) << "something sounded after the last tune";
}
