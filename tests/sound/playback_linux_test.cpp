// PLAY through the whole runtime: the main loop's queue step, the mixer, and
// SDL's disk audio driver writing what reaches the device to a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/core/end_program.h"
#include "runtime/core/statement.h"
#include "runtime/sound/play.h"
#include "runtime/sound/sound_queue.h"
#include "runtime/sound/sound_table.h"
#include "runtime/sound/tone.h"
#include "support/device_audio.h"
#include "support/sdl_library.h"
#include "support/runtime_child.h"

namespace {

// At the tempo of 200 that the statement before them sets.
constexpr const char* first_tune = "L8CDEFG";     // 5 x 0.15 s
constexpr const char* second_tune = "O3L16GFEDC";  // 5 x 0.075 s
constexpr const char* third_tune = "MBL8EC";       // background
constexpr double first_tune_s = 0.75;
constexpr double second_tune_s = 0.375;
constexpr double lead_silence_s = 32768 / 88200.0;

void report_value(const char* name, long value) { child_report(std::string(name) + "=" + std::to_string(value)); }

long reported_value(const ChildResult& result, const std::string& name) {
    for (const std::string& line : result.reports)
        if (line.rfind(name + "=", 0) == 0) return std::stol(line.substr(name.size() + 1));
    ADD_FAILURE() << "no report of " << name;
    return -1;
}

// Runs one PLAY as a statement of the program and reports how long the
// program was held, in ms.
void timed_play(const char* name, int line, const char* music) {
    uint32_t start = SDL_GetTicks();
    statement(line, [music] { play_bytes(music); });
    report_value(name, static_cast<long>(SDL_GetTicks() - start));
}

void tunes_routine() {
    statement(10, [] { play_bytes(""); });
    statement(11, [] { play_bytes("T200"); });
    report_value("queued_after_settings", sound_queue.queue_write.load());  // the lead silence only
    timed_play("first_ms", 20, first_tune);
    timed_play("second_ms", 30, second_tune);
    timed_play("third_ms", 40, third_tune);
    SDL_Delay(600);  // the background tune plays out before the device closes

    int made = 0;
    while (make_sound(std::vector<uint8_t>(4, 0)) != 0) ++made;
    int occupied = 0;
    for (const SoundSlot& slot : sound_table) occupied += slot.handle.load() != 0;
    report_value("occupied", occupied);
    report_value("error_after_full", control.pending_error.load());
    int32_t write = sound_queue.queue_write.load();
    play_settings.background = 0;
    timed_play("full_ms", 50, "C");
    report_value("queued_when_full", sound_queue.queue_write.load() - write);
    report_value("error_when_full", control.pending_error.load());
    system_exit();
}

std::vector<uint8_t> rendered(const char* music, PlaySettings& settings) {
    std::vector<MusicPart> parts;
    std::string text(music);
    EXPECT_EQ(render_music(reinterpret_cast<const uint8_t*>(text.data()), text.size(), settings, parts), 0);
    EXPECT_EQ(parts.size(), 1u);
    return parts.empty() ? std::vector<uint8_t>{} : parts[0].samples;
}

}  // namespace

TEST(Playback, DeviceReceivesTheLeadSilenceThenEachTuneWholeAndInOrder) {
    std::string file = "/tmp/tz-playback-" + std::to_string(getpid()) + ".raw";
    ChildOptions options;
    options.environment = disk_audio_environment(file);
    ChildResult result = run_runtime_child(tunes_routine, options);
    ASSERT_TRUE(result.exited) << result.stderr_text;
    EXPECT_EQ(result.status, 0);

    std::ifstream in(file, std::ios::binary);
    DeviceAudio device(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    std::remove(file.c_str());

    PlaySettings settings;
    settings.tempo = 200;
    settings.unit_duration = 0.3;
    std::vector<uint8_t> tunes[] = {rendered(first_tune, settings), rendered(second_tune, settings), rendered(third_tune, settings)};
    size_t end = 0;
    size_t starts[3];
    for (int i = 0; i < 3; ++i) {
        starts[i] = device.find(tunes[i], end);
        ASSERT_NE(starts[i], DeviceAudio::npos) << "tune " << i << " did not reach the device whole";
        // Only silence before it: nothing overlapped it and nothing came between.
        EXPECT_TRUE(device.silent(end, starts[i])) << "tune " << i;
        end = starts[i] + tunes[i].size() / bytes_per_frame;
    }
    EXPECT_TRUE(device.silent(end, device.frames()));
    EXPECT_TRUE(device.channels_equal());
    EXPECT_GE(starts[0], 32768u / bytes_per_frame);
    // One tune follows the other after a few main-loop periods and mixing
    // chunks (generously: a busy machine delays the main loop).
    EXPECT_LT(starts[1] - (starts[0] + tunes[0].size() / bytes_per_frame), 0.75 * audio_rate_hz);

    EXPECT_EQ(reported_value(result, "queued_after_settings"), 1);
    // Each foreground PLAY holds the program until its tune has played: the
    // first also waits out the lead silence. The upper bounds leave room for
    // a busy machine, where the audio thread and the main loop run late.
    long first_ms = reported_value(result, "first_ms");
    EXPECT_GE(first_ms, (lead_silence_s + first_tune_s) * 1000 - 100);
    EXPECT_LE(first_ms, (lead_silence_s + first_tune_s) * 1000 + 1000);
    long second_ms = reported_value(result, "second_ms");
    EXPECT_GE(second_ms, second_tune_s * 1000 - 100);
    EXPECT_LE(second_ms, second_tune_s * 1000 + 1000);
    EXPECT_LT(reported_value(result, "third_ms"), 500);

    // With every slot taken: make_sound gives 0 without an error, and PLAY
    // drops its music and has no marker to wait for.
    EXPECT_EQ(reported_value(result, "occupied"), 256);
    EXPECT_EQ(reported_value(result, "error_after_full"), 0);
    EXPECT_EQ(reported_value(result, "queued_when_full"), 0);
    EXPECT_EQ(reported_value(result, "error_when_full"), 0);
    EXPECT_LT(reported_value(result, "full_ms"), 500);
}

TEST(Playback, DeviceThatCannotOpenEndsWithStatus10001AtTheFirstSound) {
    ChildOptions options;
    options.environment = {{"SDL_AUDIODRIVER", "no-such-driver"}};
    ChildResult silent = run_runtime_child(
        [] {
            statement(10, [] { child_report("no sound made"); });
            system_exit();
        },
        options);
    EXPECT_TRUE(silent.exited);
    EXPECT_EQ(silent.status, 0);  // the device opens only for a sound
    EXPECT_TRUE(silent.reported("no sound made"));

    ChildResult sounding = run_runtime_child(
        [] {
            statement(10, [] { play_bytes("C"); });
            child_report("went on");
            system_exit();
        },
        options);
    EXPECT_TRUE(sounding.exited);
    EXPECT_EQ(sounding.status, 10001 % 256);
    EXPECT_FALSE(sounding.reported("went on"));
}
