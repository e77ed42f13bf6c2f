// The game's speed: one play step, and the way from process start to the
// window's first frame.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "game/basic.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/play_loop.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/strings.h"
#include "runtime/screen/screen_mode.h"

namespace {

// The runtime's program-thread side without its threads: strings, screen
// tables and SCREEN 13. Nothing here plays a tune or reads a window.
void start_runtime_in_process() {
    static bool started = false;
    if (started) return;
    started = true;
    reset_runtime_control();
    screen_start_tables();
    strings_start();
    screen_start();
    statement(1, [] { screen_mode(13); });
    statement(1, [] { game.key = new_text_variable(); });
    statement(1, [] { game.horizontal_note = new_text_variable(); });
    statement(1, [] { game.vertical_note = new_text_variable(); });
}

// A step of level 3 (contacts, status, clock, key) and of level 1 (its key
// checks and a chaser turn that does not move) with step_pause 0: the work
// of every step that plays no tune.
void BM_PlayStep(benchmark::State& state) {
    start_runtime_in_process();
    reset_game_state();
    game.level = static_cast<float>(state.range(0));
    game.lives_setting = game.lives_left = 5;
    game.step_pause = 0;
    start_level();
    game.time_limit = 1e6f;         // the clock never runs out here
    game.enemy_period = 1e9f;       // chasers skip their moves: no move notes
    for (auto _ : state) benchmark::DoNotOptimize(play_step());
}
BENCHMARK(BM_PlayStep)->Arg(3)->Arg(1)->Unit(benchmark::kMicrosecond);

std::string run_output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

std::string game_executable() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string self(path, static_cast<size_t>(length));
    std::string bench_dir = self.substr(0, self.rfind('/'));
    return bench_dir.substr(0, bench_dir.rfind('/')) + "/tommy-zappo";
}

// From fork to the moment the game's window exists on an Xvfb display. The
// presentation draws the first frame into it within one loop iteration.
// Start-up waits for the wall-clock second to change, by design, which puts
// up to one second of the figure in that wait; the spread shows it.
void BM_ProcessStartToFirstFrame(benchmark::State& state) {
    const char* display = ":67";
    pid_t server = fork();
    if (server == 0) {
        freopen("/dev/null", "w", stderr);
        execlp("Xvfb", "Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    struct stat info;
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        up = stat("/tmp/.X11-unix/X67", &info) == 0;
        if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!up) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
        state.SkipWithError("Xvfb cannot start here");
        return;
    }
    const std::string executable = game_executable();
    const std::string search = std::string("DISPLAY=") + display + " xdotool search --name Untitled 2>/dev/null";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        pid_t game_pid = fork();
        if (game_pid == 0) {
            setenv("DISPLAY", display, 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl(executable.c_str(), executable.c_str(), nullptr);
            _exit(127);
        }
        while (run_output(search).empty()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        auto shown = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
        kill(game_pid, SIGKILL);
        waitpid(game_pid, nullptr, 0);
    }
    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
}
BENCHMARK(BM_ProcessStartToFirstFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
