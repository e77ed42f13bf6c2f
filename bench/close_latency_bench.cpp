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
#include <utility>

#include "game/window_waits.h"
#include "support/sdl_library.h"

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

// Named for the SDL 1.2 the process runs on: run with sdl12-compat found
// first (LD_LIBRARY_PATH, as scripts/bench-table.sh does), the same closes
// are CloseToExitOnSdl12Compat/<kind>, so that both sets of figures can
// stand in one table.
const bool close_benchmarks_registered = [] {
    const std::string family = sdl12_compat_loaded() ? "CloseToExitOnSdl12Compat/" : "CloseToExit/";
    const std::pair<WaitKind, int> closes[] = {{WaitKind::tune, 3}, {WaitKind::mode_change, 5}, {WaitKind::fullscreen_switch, 3},
                                               {WaitKind::pause, 3}, {WaitKind::calibration, 3}, {WaitKind::level, 8}};
    for (const auto& [kind, iterations] : closes)
        benchmark::RegisterBenchmark((family + wait_kind_name(kind)).c_str(), BM_CloseToExit, kind)
            ->UseManualTime()
            ->Iterations(iterations)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
