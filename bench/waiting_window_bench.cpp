// What waiting costs the real program, and a key's way through it: the
// executable in a real window on an Xvfb display of the benchmark's own.
//
// | benchmark                | measures                                                        |
// |--------------------------|-----------------------------------------------------------------|
// | ProcessCpuWhileWaiting/* | the whole process's CPU share over 10 s in one state            |
// | KeyToChangedPixels/*     | from a key sent to the X server to the changed pixels in the window |
#include <SDL.h>
#include <benchmark/benchmark.h>
extern "C" {
#include <xdo.h>
}

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/percentile.h"
#include "game/window_waits.h"
#include "runtime/core/runtime_control.h"
#include "runtime/screen/present.h"
#include "runtime/screen/window_scale.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double, std::milli>(to - from).count(); }

// utime + stime in clock ticks, from a /proc stat file (a process's or a thread's).
long cpu_ticks_of(const std::string& stat_path) {
    std::ifstream stat(stat_path);
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t paren = text.rfind(')');
    if (paren == std::string::npos) return -1;
    std::istringstream fields(text.substr(paren + 2));
    std::string field;
    long utime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) return utime + std::stol(field);
    }
    return -1;
}

// The CPU ticks of a process as a whole and of each of its threads.
struct CpuTicks {
    long process = 0;
    std::map<long, long> threads;  // by thread id, so in the order the threads were made

    static CpuTicks of(pid_t pid) {
        CpuTicks ticks;
        const std::string dir = "/proc/" + std::to_string(pid);
        ticks.process = cpu_ticks_of(dir + "/stat");
        for (const auto& task : std::filesystem::directory_iterator(dir + "/task"))
            ticks.threads[std::stol(task.path().filename().string())] = cpu_ticks_of(task.path().string() + "/stat");
        return ticks;
    }
};

// ---------------------------------------------------------------------------
// The real program in its states.

enum class RestState { menu, level_one, level_seven, paused, help, tune };

bool shows_level(const TextScreen& screen, int level) { return screen.shows(10, 32, "Level " + std::to_string(level)); }

bool shows_help(const TextScreen& screen) { return screen.shows(22, 1, "Press any key ..."); }

// A runtime child's routine for the tune state: foreground tunes of four
// seconds, one after another.
void tunes_forever() {
    statement(1, [] { screen_mode(13); });
    statement(1, [] { print({text("TUNES")}); });
    for (;;) statement(2, [] { play("T120O3L4CDEFGABO4C"); });
}

// Starts the program and brings it to the state; false with the reason in why.
bool reach_rest(XSession& session, RestState state, std::string& why) {
    TextScreen screen;
    if (state == RestState::paused) return reach_wait(session, WaitKind::pause, why);
    if (state == RestState::tune) {
        if (!session.start_process([] {
                // Benchmarks before this one may have started SDL and the
                // presentation in this process (with the dummy video
                // driver); the child starts afresh.
                SDL_Quit();
                reset_runtime_control();
                reset_presentation();
                reset_window_scale();
                char name[] = "tommy-zappo";
                char* argv[] = {name, nullptr};
                std::exit(runtime_main(1, argv, tunes_forever));
            })) {
            why = "no window appeared";
            return false;
        }
        if (session.wait_for(screen, [](const TextScreen& s) { return s.shows(1, 1, "TUNES"); }, 20000)) return true;
        why = "the tunes never started\n" + screen.dump();
        return false;
    }
    if (!session.start_game(game_executable())) {
        why = "no window appeared";
        return false;
    }
    if (!session.wait_for(screen, on_menu, 60000)) {
        why = "the menu never appeared\n" + screen.dump();
        return false;
    }
    auto enter = [&](const char* key, const std::function<bool(const TextScreen&)>& shown, const char* what) {
        session.key(key);
        if (session.wait_for(screen, shown, 20000)) return true;
        why = std::string(what) + " never appeared\n" + screen.dump();
        return false;
    };
    switch (state) {
    case RestState::level_one: return enter("1", [](const TextScreen& s) { return shows_level(s, 1); }, "level 1");
    case RestState::level_seven: return enter("7", [](const TextScreen& s) { return shows_level(s, 7); }, "level 7");
    case RestState::help: return enter("e", shows_help, "the help screen");
    default: return true;
    }
}

// The state is still the one measured: the same screen for the menu, help
// and pause; the level and its lives (no death) for a level.
bool state_kept(RestState state, const TextScreen& before, const TextScreen& after) {
    switch (state) {
    case RestState::menu: return on_menu(after);
    case RestState::help: return shows_help(after);
    case RestState::paused: return before.dump() == after.dump();
    case RestState::level_one: return shows_level(after, 1) && before.text(7, 32, 9) == after.text(7, 32, 9);
    case RestState::level_seven: return shows_level(after, 7) && before.text(7, 32, 9) == after.text(7, 32, 9);
    case RestState::tune: return after.shows(1, 1, "TUNES");
    }
    return false;
}

// A server of the session's own, the program in the state and a second for
// what the state started to settle; false (the benchmark skipped) otherwise.
bool settle_in(XSession& session, RestState rest, benchmark::State& state) {
    if (!session.start_server()) {
        state.SkipWithError("Xvfb cannot start here");
        return false;
    }
    std::string why;
    if (!reach_rest(session, rest, why)) {
        state.SkipWithError(why.c_str());
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    return true;
}

constexpr double rest_measured_s = 10;

void BM_ProcessCpuWhileWaiting(benchmark::State& state, RestState rest) {
    double cpu_percent = 0;
    std::vector<double> thread_percents;
    bool kept = true;
    for (auto _ : state) {
        XSession session;
        if (!settle_in(session, rest, state)) return;
        TextScreen before, after;
        session.screenshot(before);
        CpuTicks ticks_before = CpuTicks::of(session.game_pid());
        auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(rest_measured_s));
        CpuTicks ticks_after = CpuTicks::of(session.game_pid());
        double elapsed_s = ms_between(start, Clock::now()) / 1000;
        session.screenshot(after);
        auto percent = [&](long ticks) { return 100.0 * static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) / elapsed_s; };
        cpu_percent = percent(ticks_after.process - ticks_before.process);
        // Which thread spends it, in the order they were made: the main
        // thread, the program thread, the timer-event thread, then the audio
        // thread once a sound has played.
        thread_percents.clear();
        for (const auto& [id, ticks] : ticks_after.threads) thread_percents.push_back(percent(ticks - ticks_before.threads[id]));
        kept = state_kept(rest, before, after);
        state.SetIterationTime(elapsed_s);
    }
    state.counters["process_cpu_percent"] = cpu_percent;
    for (size_t i = 0; i < thread_percents.size(); ++i) state.counters["thread_" + std::to_string(i + 1) + "_percent"] = thread_percents[i];
    state.counters["state_kept"] = kept ? 1 : 0;
}

BENCHMARK_CAPTURE(BM_ProcessCpuWhileWaiting, menu, RestState::menu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ProcessCpuWhileWaiting, level_1_standing, RestState::level_one)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ProcessCpuWhileWaiting, level_7_standing, RestState::level_seven)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ProcessCpuWhileWaiting, paused, RestState::paused)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ProcessCpuWhileWaiting, help, RestState::help)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_ProcessCpuWhileWaiting, foreground_tune, RestState::tune)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// ---------------------------------------------------------------------------
// A key's way to the window's pixels.

// Where the hero stands on the maze (columns 1 to 31); row 0 when not seen.
std::pair<int, int> hero_cell(const TextScreen& screen) {
    for (int row = 2; row <= 22; ++row)
        for (int col = 1; col <= 31; ++col)
            if (screen.cells[row][col].code == 2) return {row, col};
    return {0, 0};
}

// The key that moves the hero into a blank neighbour cell, or nullptr.
const char* free_move(const TextScreen& screen, std::pair<int, int> hero) {
    static constexpr struct {
        int row_step, col_step;
        const char* key;
    } moves[] = {{0, 1, "6"}, {0, -1, "4"}, {-1, 0, "8"}, {1, 0, "2"}};
    for (const auto& move : moves)
        if (screen.cells[hero.first + move.row_step][hero.second + move.col_step].code == 32) return move.key;
    return nullptr;
}

constexpr int key_samples = 30;

// In the menu "c" toggles the enemy sound line; in level 1 a digit moves the
// hero into a free neighbour cell (and the next one moves it back).
void BM_KeyToChangedPixels(benchmark::State& state, RestState where) {
    XSession session;
    if (!settle_in(session, where, state)) return;
    session.xdotool("windowfocus --sync " + session.window());
    Display* display = XOpenDisplay(session.display().c_str());
    xdo_t* xdo = xdo_new(session.display().c_str());
    if (!display || !xdo) {
        state.SkipWithError("cannot reach the X server");
        return;
    }
    Window window = static_cast<Window>(std::stoul(session.window()));
    auto look = [&](TextScreen& screen) { return decode_screen(window_ppm(display, window), screen); };
    std::vector<double> latencies;
    int missed = 0;
    for (int sample = 0; sample < key_samples; ++sample) {
        TextScreen before;
        if (!look(before)) break;
        const char* key = "c";
        std::string line_before = before.text(12, 15, 20);
        std::pair<int, int> hero = hero_cell(before);
        if (where != RestState::menu) {
            key = hero.first ? free_move(before, hero) : nullptr;
            if (!key) break;
        }
        auto changed = [&](const TextScreen& now) {
            return where == RestState::menu ? now.text(12, 15, 20) != line_before : hero_cell(now) != hero;
        };
        xdo_send_keysequence_window(xdo, CURRENTWINDOW, key, 0);
        auto sent = Clock::now();
        bool seen = false;
        TextScreen now;
        while (!seen && ms_between(sent, Clock::now()) < 1000) seen = look(now) && changed(now);
        if (seen)
            latencies.push_back(ms_between(sent, Clock::now()));
        else
            ++missed;
        // The next key lands at another point of the main loop's cycle.
        std::this_thread::sleep_for(std::chrono::milliseconds(60 + (sample * 13) % 50));
    }
    xdo_free(xdo);
    XCloseDisplay(display);
    if (latencies.size() < key_samples / 2) {
        state.SkipWithError("too few keys were seen");
        return;
    }
    size_t next = 0;
    for (auto _ : state) state.SetIterationTime(latencies[next++ % latencies.size()] / 1000);
    state.counters["median_ms"] = percentile(latencies, 50);
    state.counters["p95_ms"] = percentile(latencies, 95);
    state.counters["missed"] = missed;
}

BENCHMARK_CAPTURE(BM_KeyToChangedPixels, menu, RestState::menu)->UseManualTime()->Iterations(key_samples)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyToChangedPixels, level_1, RestState::level_one)
    ->UseManualTime()
    ->Iterations(key_samples)
    ->Unit(benchmark::kMillisecond);

}  // namespace
