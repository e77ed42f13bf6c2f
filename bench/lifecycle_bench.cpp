// The main thread's cost while the program sleeps, and the main loop's
// cadence, measured in a child process that runs the whole runtime headless.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/runtime_child.h"
#include "runtime/core/end_program.h"
#include "runtime/lifecycle/lifecycle.h"
#include "runtime/core/statement.h"

namespace {

constexpr double measured_s = 5.0;

// utime + stime of one thread, in clock ticks.
long thread_cpu_ticks(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14) utime = std::stol(field);
        if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

void sleeping_program() {
    pid_t main_tid = getpid();
    SDL_Delay(500);  // let start-up settle
    long cpu_before = thread_cpu_ticks(main_tid);
    uint32_t loops_before = main_loop_iteration_count();
    uint32_t start_ms = SDL_GetTicks();
    while (SDL_GetTicks() - start_ms < measured_s * 1000) statement(10, [] { SDL_Delay(50); });
    double elapsed_s = (SDL_GetTicks() - start_ms) / 1000.0;
    long cpu_after = thread_cpu_ticks(main_tid);
    uint32_t loops_after = main_loop_iteration_count();
    char line[128];
    std::snprintf(line, sizeof line, "%f %f",
                               100.0 * (cpu_after - cpu_before) / sysconf(_SC_CLK_TCK) / elapsed_s,
                               (loops_after - loops_before) / elapsed_s);
    bench_report(line);
    system_exit();
}

void BM_MainThreadWhileProgramSleeps(benchmark::State& state) {
    double cpu_percent = 0;
    double loops_per_s = 0;
    for (auto _ : state) {
        std::string reported = run_runtime_bench_child(sleeping_program);
        if (std::sscanf(reported.c_str(), "%lf %lf", &cpu_percent, &loops_per_s) != 2) {
            state.SkipWithError("the child reported nothing");
            return;
        }
    }
    state.counters["main_thread_cpu_percent"] = cpu_percent;
    state.counters["main_loop_iterations_per_s"] = loops_per_s;
}

}  // namespace

BENCHMARK(BM_MainThreadWhileProgramSleeps)->Iterations(1)->Unit(benchmark::kSecond);
