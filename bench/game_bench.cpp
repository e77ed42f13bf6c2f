// The game's speed: one play step, and the way from process start to the
// window's first frame.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "game/basic.h"
#include "game/game_state.h"
#include "game/level_setup.h"
#include "game/mechanics.h"
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
// of every step that plays no tune. Levels 4, 7 and 8 add their own
// mechanisms that play nothing: corner keys and bomb, the temple key, bomb
// and patroller, the fog reward.
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
BENCHMARK(BM_PlayStep)->Arg(3)->Arg(1)->Arg(4)->Arg(7)->Arg(8)->Unit(benchmark::kMicrosecond);

// The drop of level 5 falling one row (its restart and its collection play
// tunes, so each step starts it again at row 10).
void BM_FallingDrop(benchmark::State& state) {
    start_runtime_in_process();
    reset_game_state();
    game.level = 5;
    start_level();
    for (auto _ : state) {
        game.enemy1_row = 10;
        game.enemy1_col = 5;
        falling_drop();
    }
}
BENCHMARK(BM_FallingDrop)->Unit(benchmark::kMicrosecond);

// A move of level 6's crawler: five drawings, four read-backs, the score.
void BM_CrawlerMove(benchmark::State& state) {
    start_runtime_in_process();
    reset_game_state();
    game.level = 6;
    start_level();
    for (auto _ : state) {
        game.enemy_tick = game.crawler_period;
        wall_crawler();
    }
}
BENCHMARK(BM_CrawlerMove)->Unit(benchmark::kMicrosecond);

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

// From fork to the moment the game's window exists on an Xvfb display (the
// presentation draws the first frame into it within one loop iteration).
// Start-up waits for the wall-clock second to change, by design: up to one
// second of the figure is that wait. overhead_ms is the rest on average
// (a start that begins late in a second can miss that second's change and
// wait for the next one), longest_ms the slowest start.
void BM_ProcessStartToFirstFrame(benchmark::State& state) {
    // The server picks a free display itself and names it once it accepts clients.
    int number_pipe[2];
    if (pipe(number_pipe) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    pid_t server = fork();
    if (server == 0) {
        close(number_pipe[0]);
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 2);
        std::string fd_text = std::to_string(number_pipe[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    close(number_pipe[1]);
    std::string display = ":";
    char c;
    while (read(number_pipe[0], &c, 1) == 1 && c != '\n') display += c;
    close(number_pipe[0]);
    if (display == ":") {
        waitpid(server, nullptr, 0);
        state.SkipWithError("Xvfb cannot start here");
        return;
    }
    // A first client lets the server finish setting itself up (its keyboard
    // map); a program that connects during that can be refused.
    for (int i = 0; i < 50 && run_output("DISPLAY=" + display + " xdotool getdisplaygeometry 2>/dev/null").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string executable = game_executable();
    const std::string search = "DISPLAY=" + display + " xdotool search --name Untitled 2>/dev/null";
    double overhead_s = 0;
    double longest_s = 0;
    int phase_step = 0;
    for (auto _ : state) {
        // Start at a chosen point of the wall-clock second, a tenth further on
        // each time, so the designed wait is known and the rest is overhead.
        const int phase_ms = (phase_step++ % 10) * 100;
        auto now = std::chrono::system_clock::now().time_since_epoch();
        auto into_second = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000;
        std::this_thread::sleep_for(std::chrono::milliseconds((phase_ms - into_second + 1000) % 1000));
        const double designed_wait_s = (1000 - phase_ms) / 1000.0;
        // A fresh server sometimes refuses the first connection of a busy
        // machine's program, which then ends at once: that start is repeated.
        auto start = std::chrono::steady_clock::now();
        pid_t game_pid = -1;
        bool shown = false;
        for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(500));
            start = std::chrono::steady_clock::now();
            game_pid = fork();
            if (game_pid == 0) {
                setenv("DISPLAY", display.c_str(), 1);
                setenv("SDL_AUDIODRIVER", "dummy", 1);
                setenv("SDL_VIDEODRIVER", "x11", 1);
                execl(executable.c_str(), executable.c_str(), nullptr);
                _exit(127);
            }
            while (!shown && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
                shown = !run_output(search).empty();
                if (shown || waitpid(game_pid, nullptr, WNOHANG) == game_pid) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        const double took_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(took_s);
        overhead_s += took_s - designed_wait_s;
        longest_s = std::max(longest_s, took_s);
        kill(game_pid, SIGKILL);
        waitpid(game_pid, nullptr, 0);
        if (!shown) {
            state.SkipWithError("no window appeared");
            break;
        }
    }
    kill(server, SIGTERM);  // lets the server remove its lock and socket
    waitpid(server, nullptr, 0);
    state.counters["overhead_ms"] = 1000 * overhead_s / static_cast<double>(phase_step);
    state.counters["longest_ms"] = 1000 * longest_s;
}
BENCHMARK(BM_ProcessStartToFirstFrame)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
