// From the window's close request (WM_DELETE_WINDOW, as a window manager's
// close button sends it) to the end of the process, for every kind of wait
// the program can be in at that moment: the real program in a real window on
// an Xvfb display of the benchmark's own. The aim is status 0 within half a
// second; mean_ms and longest_ms are the figures, failed counts the closes
// that did not end with status 0 within five seconds, and request_mean_ms is
// the part the X server took to accept the request (a busy server is slow).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "game/window_waits.h"

namespace {

void BM_CloseToExit(benchmark::State& state, WaitKind kind) {
    XSession session;
    if (!session.start_server()) {
        state.SkipWithError("Xvfb cannot start here");
        return;
    }
    double total_ms = 0, longest_ms = 0, request_ms = 0;
    int closes = 0, failed = 0;
    for (auto _ : state) {
        std::string why;
        if (!reach_wait(session, kind, why)) {
            state.SkipWithError(why.c_str());
            break;
        }
        CloseResult result = close_and_time(session, 5000);
        state.SetIterationTime(result.latency_ms / 1000);
        total_ms += result.latency_ms;
        request_ms += result.request_ms;
        longest_ms = std::max(longest_ms, result.latency_ms);
        ++closes;
        failed += result.status != 0;
    }
    if (closes == 0) return;
    state.counters["mean_ms"] = total_ms / closes;
    state.counters["longest_ms"] = longest_ms;
    state.counters["request_mean_ms"] = request_ms / closes;
    state.counters["failed"] = failed;
}

BENCHMARK_CAPTURE(BM_CloseToExit, tune, WaitKind::tune)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CloseToExit, mode_change, WaitKind::mode_change)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CloseToExit, fullscreen_switch, WaitKind::fullscreen_switch)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CloseToExit, pause, WaitKind::pause)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CloseToExit, calibration, WaitKind::calibration)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
