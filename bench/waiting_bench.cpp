// What waiting must not change, measured in the whole runtime run headless
// in a child: how long after TIMER changed wait_ticks returns, the play pace
// of every level and difficulty, and the silence the device plays between
// two foreground tunes.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/percentile.h"
#include "bench/runtime_child.h"
#include "game/basic.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/play_loop.h"
#include "runtime/core/timer.h"
#include "runtime/sound/play.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double, std::milli>(to - from).count(); }

// ---------------------------------------------------------------------------
// wait_ticks against TIMER.

constexpr int lateness_samples = 100;

// In the child: a watcher thread reads TIMER as fast as it can and stamps
// every change; the program thread runs the game's wait_ticks(1) and stamps
// its return. The difference is how late the wait noticed the change. A wait
// that ends on a value the watcher has not stamped (a busy machine kept the
// watcher from looking) cannot be measured and is reported as -1.
void wait_ticks_lateness_program() {
    SDL_Delay(300);
    std::atomic<bool> watching{true};
    std::mutex stamp_mutex;
    float stamped_value = 0;
    int64_t stamped_ns = 0;
    auto now_ns = [] { return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count(); };
    std::thread watcher([&] {
        float last = static_cast<float>(timer_value());
        while (watching.load()) {
            float now = static_cast<float>(timer_value());
            if (now != last) {
                int64_t at = now_ns();
                std::lock_guard<std::mutex> lock(stamp_mutex);
                stamped_value = now;
                stamped_ns = at;
                last = now;
            }
        }
    });
    auto stamp = [&] {
        std::lock_guard<std::mutex> lock(stamp_mutex);
        return std::make_pair(stamped_value, stamped_ns);
    };
    while (stamp().second == 0) SDL_Delay(1);  // the watcher runs
    for (int i = 0; i < lateness_samples; ++i) {
        wait_ticks(1);
        int64_t back_ns = now_ns();
        float value = static_cast<float>(timer_value());
        SDL_Delay(1);  // the watcher has stamped the change by now
        auto [seen_value, seen_ns] = stamp();
        long long lateness_us = seen_value == value ? (back_ns - seen_ns) / 1000 : -1;
        char line[32];
        std::snprintf(line, sizeof line, "%lld", lateness_us);
        bench_report(line);
        SDL_Delay(static_cast<Uint32>((i * 7) % 40));  // start each wait at another point of the tick
    }
    watching = false;
    watcher.join();
    system_exit();
}

void BM_WaitTicksLateness(benchmark::State& state) {
    std::vector<double> lateness_ms;
    int reported = 0;
    std::istringstream lines(run_runtime_bench_child(wait_ticks_lateness_program));
    for (long long us = 0; lines >> us; ++reported)
        if (us >= 0) lateness_ms.push_back(static_cast<double>(us) / 1000);
    if (reported != lateness_samples || lateness_ms.size() < lateness_samples / 2) {
        state.SkipWithError("the child measured too few waits");
        return;
    }
    size_t next = 0;
    for (auto _ : state) state.SetIterationTime(lateness_ms[next++ % lateness_ms.size()] / 1000);
    state.counters["median_ms"] = percentile(lateness_ms, 50);
    state.counters["max_ms"] = *std::max_element(lateness_ms.begin(), lateness_ms.end());
    state.counters["unmeasured"] = lateness_samples - static_cast<int>(lateness_ms.size());
}
BENCHMARK(BM_WaitTicksLateness)->UseManualTime()->Iterations(lateness_samples)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// The play pace.

enum class Difficulty { easy, normal, hard, normal_without_step_pause };
Difficulty pace_difficulty = Difficulty::normal;
constexpr int pace_steps = 36;

// In the child: every level from its set-up, the hero standing, the step
// pause on as the game starts with it (off only with the hidden option "g",
// whose pace is the machine's); steps per second over pace_steps steps
// (fewer when the level ends on its own first).
void play_pace_program() {
    statement(1, [] { screen_mode(13); });
    statement(1, [] { game.key = new_text_variable(); });
    statement(1, [] { game.horizontal_note = new_text_variable(); });
    statement(1, [] { game.vertical_note = new_text_variable(); });
    for (int level = 1; level <= 9; ++level) {
        reset_game_state();
        game.step_pause = pace_difficulty == Difficulty::normal_without_step_pause ? 0 : 1;
        game.enemy_sound = 1;
        game.hard_mode = pace_difficulty == Difficulty::hard ? 1 : 0;
        game.easy_bonus_seconds = pace_difficulty == Difficulty::easy ? 30 : 0;
        game.lives_setting = game.lives_left = 5;
        game.level = static_cast<float>(level);
        start_level();
        play_step();  // the first step starts on no particular tick
        auto start = Clock::now();
        int steps = 0;
        while (steps < pace_steps && play_step() == Screen::play) ++steps;
        char line[64];
        std::snprintf(line, sizeof line, "%d %f", level, steps / (ms_between(start, Clock::now()) / 1000));
        bench_report(line);
    }
    system_exit();
}

void BM_PlayPace(benchmark::State& state, Difficulty difficulty) {
    pace_difficulty = difficulty;
    std::string reported;
    for (auto _ : state) reported = run_runtime_bench_child(play_pace_program);
    std::istringstream lines(reported);
    int level = 0, levels = 0;
    double steps_per_s = 0;
    while (lines >> level >> steps_per_s) {
        state.counters["level_" + std::to_string(level) + "_steps_per_s"] = steps_per_s;
        ++levels;
    }
    if (levels != 9) state.SkipWithError("the child reported too few levels");
}
BENCHMARK_CAPTURE(BM_PlayPace, easy, Difficulty::easy)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PlayPace, normal, Difficulty::normal)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PlayPace, hard, Difficulty::hard)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PlayPace, normal_without_step_pause, Difficulty::normal_without_step_pause)->Iterations(1)->Unit(benchmark::kSecond);

// ---------------------------------------------------------------------------
// The gaps between foreground tunes, as the device plays them.

// The tunes of a death's fading faces, one after another, as the game plays them.
constexpr const char* gap_tunes[] = {"o3l60ad", "o2l60ad", "o1l60ad", "o0l60ad"};
constexpr int gap_rounds = 5;
constexpr double device_bytes_per_ms = 22050.0 * 4 / 1000;

void tune_gaps_program() {
    statement(1, [] { screen_mode(13); });
    for (int round = 0; round < gap_rounds; ++round)
        for (const char* tune : gap_tunes) statement(2, [&] { play(tune); });
    statement(3, [] { SDL_Delay(500); });  // the device writes the last tune out
    system_exit();
}

// The sounding bytes of a tune as the device receives it (default settings).
std::vector<uint8_t> sounding_tune(const char* tune) {
    PlaySettings settings;
    std::vector<MusicPart> parts;
    std::string music(tune);
    render_music(reinterpret_cast<const uint8_t*>(music.data()), music.size(), settings, parts);
    std::vector<uint8_t> samples;
    for (const MusicPart& part : parts) samples.insert(samples.end(), part.samples.begin(), part.samples.end());
    auto first = std::find_if(samples.begin(), samples.end(), [](uint8_t b) { return b != 0; });
    auto last = std::find_if(samples.rbegin(), samples.rend(), [](uint8_t b) { return b != 0; }).base();
    return first < last ? std::vector<uint8_t>(first, last) : std::vector<uint8_t>{};
}

void BM_ForegroundTuneGaps(benchmark::State& state) {
    const std::string file = "/tmp/tz-bench-audio-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "46", 1);
    for (auto _ : state) run_runtime_bench_child(tune_gaps_program);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> device((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(file.c_str());
    std::vector<double> gaps_ms;
    size_t end = 0;
    for (int round = 0; round < gap_rounds; ++round) {
        for (const char* tune : gap_tunes) {
            std::vector<uint8_t> sound = sounding_tune(tune);
            auto found = std::search(device.begin() + static_cast<long>(end), device.end(), sound.begin(), sound.end());
            if (found == device.end()) {
                state.SkipWithError("a tune was not found in the device's output");
                return;
            }
            size_t start = static_cast<size_t>(found - device.begin());
            if (end != 0) gaps_ms.push_back(static_cast<double>(start - end) / device_bytes_per_ms);
            end = start + sound.size();
        }
    }
    double sum = 0;
    for (double gap : gaps_ms) sum += gap;
    state.counters["mean_gap_ms"] = sum / static_cast<double>(gaps_ms.size());
    state.counters["min_gap_ms"] = *std::min_element(gaps_ms.begin(), gaps_ms.end());
    state.counters["max_gap_ms"] = *std::max_element(gaps_ms.begin(), gaps_ms.end());
}
BENCHMARK(BM_ForegroundTuneGaps)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
