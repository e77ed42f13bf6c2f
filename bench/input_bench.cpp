// Keyboard and controller costs: INKEY$ on an empty ring, a key event's way
// from SDL's queue into the BIOS ring through the real main loop, the key-down
// path itself, and STICK.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "bench/runtime_child.h"

#include "runtime/core/emulated_memory.h"
#include "runtime/core/events.h"
#include "runtime/core/end_program.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/input/joystick.h"
#include "runtime/input/keyboard.h"
#include "runtime/platform/system.h"

namespace {

void fresh_keyboard() {
    clear_emulated_memory();
    reset_runtime_control();
    reset_event_tables();
    reset_keyboard_state();
    fill_on_key_defaults();
    empty_keyboard_buffer();
}

// INKEY$ yields the processor once on every call; the yield alone and the
// rest alone are measured beside it.
void BM_InkeyEmptyBuffer(benchmark::State& state) {
    fresh_keyboard();
    uint8_t bytes[2];
    for (auto _ : state) benchmark::DoNotOptimize(inkey_bytes(bytes));
}
BENCHMARK(BM_InkeyEmptyBuffer);

void BM_InkeyEmptyBufferBesidesTheYield(benchmark::State& state) {
    fresh_keyboard();
    uint8_t bytes[2];
    for (auto _ : state) {
        benchmark::DoNotOptimize(error_pending());
        benchmark::DoNotOptimize(take_key_entry(bytes));
    }
}
BENCHMARK(BM_InkeyEmptyBufferBesidesTheYield);

void BM_YieldAlone(benchmark::State& state) {
    for (auto _ : state) sleep_ms(0);
}
BENCHMARK(BM_YieldAlone);

// The main thread's share of a key press: translation, held keys, queues
// and the ring entry; the release; INKEY$ taking the entry.
void BM_KeyPressReleaseAndRead(benchmark::State& state) {
    fresh_keyboard();
    SDL_KeyboardEvent press{};
    press.type = SDL_KEYDOWN;
    press.keysym.sym = SDLK_a;
    press.keysym.unicode = 'a';
    SDL_KeyboardEvent release = press;
    release.type = SDL_KEYUP;
    uint8_t bytes[2];
    for (auto _ : state) {
        keyboard_event(press);
        keyboard_event(release);
        benchmark::DoNotOptimize(inkey_bytes(bytes));
    }
}
BENCHMARK(BM_KeyPressReleaseAndRead);

void BM_StickWithoutController(benchmark::State& state) {
    reset_runtime_control();
    reset_input_devices();
    enumerate_devices();
    for (auto _ : state) benchmark::DoNotOptimize(stick(0, 0, false));
}
BENCHMARK(BM_StickWithoutController);

constexpr int latency_samples = 64;

// In the child: pushes one key at a time into SDL's queue and spins until
// the main loop has put it into the ring; reports each delay in microseconds.
void key_latency_program() {
    SDL_Delay(300);  // let start-up settle
    for (int i = 0; i < latency_samples; ++i) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.type = SDL_KEYDOWN;
        event.key.keysym.sym = SDLK_a;
        event.key.keysym.unicode = 'a';
        auto start = std::chrono::steady_clock::now();
        SDL_PushEvent(&event);
        while (keyboard_buffer_count() == 0) sleep_ms(0);
        auto delay = std::chrono::steady_clock::now() - start;
        event.type = event.key.type = SDL_KEYUP;
        SDL_PushEvent(&event);
        uint8_t bytes[2];
        inkey_bytes(bytes);
        char line[32];
        std::snprintf(line, sizeof line, "%lld",
                      static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(delay).count()));
        bench_report(line);
        SDL_Delay(static_cast<Uint32>(7 * (i % 5)));  // push at different points of the loop's cycle
    }
    system_exit();
}

std::vector<double> measure_key_latencies_s() {
    std::vector<double> delays;
    std::istringstream lines(run_runtime_bench_child(key_latency_program));
    for (long long us = 0; lines >> us;) delays.push_back(static_cast<double>(us) * 1e-6);
    return delays;
}

// From SDL's queue to the BIOS ring: at most one event-handling iteration of
// the main loop (about 32 ms). Each iteration is one key.
void BM_KeyEventToBiosBuffer(benchmark::State& state) {
    std::vector<double> delays = measure_key_latencies_s();
    if (delays.size() != latency_samples) {
        state.SkipWithError("the child reported too few keys");
        return;
    }
    size_t next = 0;
    for (auto _ : state) state.SetIterationTime(delays[next++ % delays.size()]);
    std::vector<double> sorted = delays;
    std::sort(sorted.begin(), sorted.end());
    state.counters["median_ms"] = sorted[sorted.size() / 2] * 1e3;
    state.counters["p95_ms"] = sorted[sorted.size() * 95 / 100] * 1e3;
    state.counters["max_ms"] = sorted.back() * 1e3;
}
BENCHMARK(BM_KeyEventToBiosBuffer)->Iterations(latency_samples)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
