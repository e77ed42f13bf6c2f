// What waiting must not change, measured in the whole runtime run headless
// in a child: how long after TIMER changed wait_ticks returns, the play pace
// of every level and difficulty, the pace without the step pause as keys
// arrive or not, how soon a Pause during a level's wait holds the program,
// and the silence the device plays between two foreground tunes.
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
#include "runtime/core/runtime_control.h"
#include "runtime/core/timer.h"
#include "runtime/platform/system.h"
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

// In the child: the screen mode and the text variables the play loop uses.
void prepare_play() {
    statement(1, [] { screen_mode(13); });
    statement(1, [] { game.key = new_text_variable(); });
    statement(1, [] { game.horizontal_note = new_text_variable(); });
    statement(1, [] { game.vertical_note = new_text_variable(); });
}

// A child's lines "<level> <steps per second>" as counters; false unless
// there are as many as levels.
bool count_steps_per_s(benchmark::State& state, const std::string& reported, int levels) {
    std::istringstream lines(reported);
    int level = 0, seen = 0;
    double steps_per_s = 0;
    while (lines >> level >> steps_per_s) {
        state.counters["level_" + std::to_string(level) + "_steps_per_s"] = steps_per_s;
        ++seen;
    }
    return seen == levels;
}

enum class Difficulty { easy, normal, hard, normal_without_step_pause };
Difficulty pace_difficulty = Difficulty::normal;
constexpr int pace_steps = 36;

// In the child: every level from its set-up, the hero standing, the step
// pause on as the game starts with it (off only with the hidden option "g",
// whose pace is that of a loop polling INKEY$); steps per second over
// pace_steps steps (fewer when the level ends on its own first).
void play_pace_program() {
    prepare_play();
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
    if (!count_steps_per_s(state, reported, 9)) state.SkipWithError("the child reported too few levels");
}
BENCHMARK_CAPTURE(BM_PlayPace, easy, Difficulty::easy)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PlayPace, normal, Difficulty::normal)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PlayPace, hard, Difficulty::hard)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PlayPace, normal_without_step_pause, Difficulty::normal_without_step_pause)->Iterations(1)->Unit(benchmark::kSecond);

// ---------------------------------------------------------------------------
// The pace without the step pause, as keys arrive or not.

enum class Keys { none, held, typed };
Keys pace_keys = Keys::none;
constexpr int unpaced_levels[] = {1, 3, 5};
constexpr auto unpaced_span = std::chrono::seconds(3);

// A key the play loop ignores, as the main thread's event drain sees it.
void push_x(uint8_t type) {
    SDL_Event event{};
    event.type = event.key.type = type;
    event.key.keysym.sym = SDLK_x;
    event.key.keysym.unicode = 'x';
    SDL_PushEvent(&event);
}

// In the child: levels 1, 3 and 5 with the step pause off (the hidden "g"),
// the chasers' notes on, the hero standing, for three seconds each (less when
// the level ends first). Meanwhile a thread sends no key, a held key (a key
// press every 30 ms, as the window system's repeat sends it) or typed keys
// (a press and a release every 125 ms).
void unpaced_pace_program() {
    std::atomic<bool> playing{true};
    std::thread keys([&] {
        while (playing.load()) {
            if (pace_keys == Keys::held) {
                push_x(SDL_KEYDOWN);
                SDL_Delay(30);
            } else if (pace_keys == Keys::typed) {
                push_x(SDL_KEYDOWN);
                SDL_Delay(60);
                push_x(SDL_KEYUP);
                SDL_Delay(65);
            } else {
                SDL_Delay(30);
            }
        }
    });
    prepare_play();
    for (int level : unpaced_levels) {
        reset_game_state();
        game.step_pause = 0;
        game.enemy_sound = 1;
        game.lives_setting = game.lives_left = 5;
        game.level = static_cast<float>(level);
        start_level();
        auto start = Clock::now();
        auto last = start;
        int steps = 0;
        while (last - start < unpaced_span && play_step() == Screen::play) {
            ++steps;
            last = Clock::now();
        }
        char line[64];
        std::snprintf(line, sizeof line, "%d %f", level, steps / (ms_between(start, last) / 1000));
        bench_report(line);
    }
    playing = false;
    keys.join();
    system_exit();
}

void BM_UnpacedPlayPace(benchmark::State& state, Keys keys) {
    pace_keys = keys;
    std::string reported;
    for (auto _ : state) reported = run_runtime_bench_child(unpaced_pace_program);
    if (!count_steps_per_s(state, reported, 3)) state.SkipWithError("the child reported too few levels");
}
BENCHMARK_CAPTURE(BM_UnpacedPlayPace, no_key, Keys::none)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_UnpacedPlayPace, key_held, Keys::held)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_UnpacedPlayPace, keys_typed, Keys::typed)->Iterations(1)->Unit(benchmark::kSecond);

// ---------------------------------------------------------------------------
// Pause during a level's wait, to the program held.

constexpr int pause_samples = 40;

// In the child: level 3 (no enemies) with the step pause on, so the program
// thread spends nearly all its time in wait_ticks. A thread pauses the
// program as the Pause key's handling does (the suspend bit and
// attention_flag) at changing points of the tick, and stamps the moment the
// statement step takes the attention (it clears the flag, then holds); then
// it lets the program go on, as the key that ends a pause does.
void pause_to_held_program() {
    std::thread pauser([] {
        SDL_Delay(500);  // the level is drawn and playing
        for (int i = 0; i < pause_samples; ++i) {
            set_suspend_bit(suspend_paused);
            auto paused = Clock::now();
            control.attention_flag = 1;
            while (control.attention_flag.load() != 0) sleep_us(100);
            char line[32];
            std::snprintf(line, sizeof line, "%f", ms_between(paused, Clock::now()));
            bench_report(line);
            clear_suspend_bit(suspend_paused);
            SDL_Delay(static_cast<Uint32>(20 + (i * 13) % 60));
        }
        control.stop_request = 1;
    });
    pauser.detach();
    prepare_play();
    reset_game_state();
    game.step_pause = 1;
    game.lives_setting = game.lives_left = 5;
    game.easy_bonus_seconds = 30;
    game.level = 3;
    start_level();
    for (;;)
        if (play_step() != Screen::play) start_level();
}

void BM_PauseToHeld(benchmark::State& state) {
    std::vector<double> held_ms;
    std::istringstream lines(run_runtime_bench_child(pause_to_held_program));
    for (double ms = 0; lines >> ms;) held_ms.push_back(ms);
    if (held_ms.size() != pause_samples) {
        state.SkipWithError("the child measured too few pauses");
        return;
    }
    size_t next = 0;
    for (auto _ : state) state.SetIterationTime(held_ms[next++ % held_ms.size()] / 1000);
    state.counters["median_ms"] = percentile(held_ms, 50);
    state.counters["max_ms"] = *std::max_element(held_ms.begin(), held_ms.end());
}
BENCHMARK(BM_PauseToHeld)->Name("PauseToHeld/level_wait")->UseManualTime()->Iterations(pause_samples)->Unit(benchmark::kMillisecond);

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
