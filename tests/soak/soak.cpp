// A long session of the real game in one process, measured from inside.
//
//     soak [seconds [row_seconds]]      defaults: 600 and 60
//
// The game's own main routine runs through runtime_main, exactly as the
// executable runs it (real SDL; the caller chooses the drivers). A driver
// thread plays it as a person would, reading the mode-13 screen to know where
// it is: practice level 1 from the menu, a walk through the maze, then Q (or
// a death) to the game-over sequence, the title and the menu again. A monitor
// thread samples the sound table's occupied slots every few milliseconds and
// the process's VmHWM and VmRSS every row.
//
// Output: one row per row_seconds, "row end_s VmHWM_kB VmRSS_kB slots_max
// levels", then "verdict: ok" or "verdict: FAIL <why>". It fails when the
// peak memory grows after the first row by more than the tolerance, when the
// sound table ever fills, or when the game stops reaching its menu.
// Then it leaves through the menu's F (SYSTEM), and the exit status is 0.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "game/screens.h"
#include "runtime/core/emulated_memory.h"
#include "runtime/lifecycle/lifecycle.h"
#include "runtime/screen/fonts.h"
#include "runtime/sound/sound_table.h"
#include "support/runtime_child.h"

namespace {

using Clock = std::chrono::steady_clock;

// Peak memory may move by this much after the first row: the allocator's
// pools settle for a while (kB).
constexpr long memory_tolerance_kB = 1024;

std::atomic<int> levels_started{0};
std::atomic<bool> driver_stuck{false};
std::atomic<bool> session_over{false};
std::atomic<bool> verdict_printed{false};

// The code of a mode-13 text cell (1-based), found by matching its 8x8 set
// pixels with the font, as the read-back does; 32 for an unknown pattern.
// The screen is read while the program thread draws it: a half-drawn cell
// reads as a wrong character once and is read again on the next poll.
int cell_code(int row, int col) {
    const uint8_t* pixels = emulated_memory + mode13_pixels_offset;
    uint8_t pattern[8] = {};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            size_t offset = static_cast<size_t>(((row - 1) * 8 + y) * 320 + (col - 1) * 8 + x);
            if (std::atomic_ref<const uint8_t>(pixels[offset]).load(std::memory_order_relaxed) != 0)
                pattern[y] |= static_cast<uint8_t>(0x80 >> x);
        }
    for (int code = 0; code < 256; ++code)
        if (std::memcmp(pattern, packed_font8x8 + code * 8, 8) == 0) return code == 0 || code == 255 ? 32 : code;
    return 32;
}

bool screen_shows(int row, int col, const char* wanted) {
    for (size_t i = 0; wanted[i] != 0; ++i)
        if (cell_code(row, col + static_cast<int>(i)) != static_cast<uint8_t>(wanted[i])) return false;
    return true;
}

bool on_menu() { return screen_shows(9, 15, "A- Play") && screen_shows(17, 15, "F- Exit"); }
bool in_level() { return screen_shows(10, 32, "Level"); }

template <class Condition>
bool wait_until(Condition condition, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void press(char key) { push_key(static_cast<SDLKey>(key), static_cast<uint16_t>(key)); }

// One round: practice level 1, a walk of a few seconds in a pattern that
// differs from round to round, Q. A death on the way ends the round as well.
void play_round(unsigned round) {
    press('1');
    if (!wait_until(in_level, 30000)) return;
    static const char moves[] = "6622446688866224";
    int steps = 20 + static_cast<int>(round % 7) * 5;
    for (int step = 0; step < steps && in_level(); ++step) {
        press(moves[(round + static_cast<unsigned>(step)) % (sizeof moves - 1)]);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    if (in_level()) press('q');
}

void drive(Clock::time_point end) {
    // The splash and the title come first: up to half a minute on a busy machine.
    for (unsigned round = 0; Clock::now() < end; ++round) {
        if (!wait_until(on_menu, 90000)) {
            driver_stuck = true;
            break;
        }
        if (Clock::now() >= end) break;
        levels_started.fetch_add(1);
        play_round(round);
    }
    session_over = true;
    bool menu = !driver_stuck && wait_until(on_menu, 90000);
    while (!verdict_printed.load()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (menu) {
        press('f');  // SYSTEM: the ordinary end, status 0
        return;
    }
    std::_Exit(3);
}

int sound_slots_in_use() {
    int used = 0;
    for (const SoundSlot& slot : sound_table) used += slot.handle.load(std::memory_order_relaxed) != 0;
    return used;
}

long status_kB(const std::string& status, const char* field) {
    size_t at = status.find(field);
    return at == std::string::npos ? -1 : std::atol(status.c_str() + at + std::strlen(field) + 1);
}

std::string read_status() {
    std::string text;
    if (FILE* file = std::fopen("/proc/self/status", "r")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

void monitor(Clock::time_point start, int row_seconds) {
    std::printf("%4s %7s %10s %10s %10s %7s\n", "row", "end_s", "VmHWM_kB", "VmRSS_kB", "slots_max", "levels");
    long first_hwm = -1, last_hwm = -1, peak_slots = 0;
    int row = 0;
    auto row_end = start + std::chrono::seconds(row_seconds);
    int row_slots = 0;
    while (!session_over.load()) {
        row_slots = std::max(row_slots, sound_slots_in_use());
        if (Clock::now() >= row_end) {
            std::string status = read_status();
            last_hwm = status_kB(status, "VmHWM:");
            if (row == 0) first_hwm = last_hwm;
            ++row;
            peak_slots = std::max<long>(peak_slots, row_slots);
            std::printf("%4d %7d %10ld %10ld %10d %7d\n", row, row * row_seconds, last_hwm, status_kB(status, "VmRSS:"), row_slots,
                        levels_started.load());
            std::fflush(stdout);
            row_slots = 0;
            row_end += std::chrono::seconds(row_seconds);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::string why;
    if (driver_stuck.load()) why += " the menu did not come back;";
    if (peak_slots >= sound_slot_count) why += " the sound table filled;";
    if (row >= 2 && last_hwm - first_hwm > memory_tolerance_kB)
        why += " peak memory grew by " + std::to_string(last_hwm - first_hwm) + " kB after the first row;";
    if (levels_started.load() < 2) why += " fewer than two rounds were played;";
    std::printf("sound slots in use, most: %ld of %d\n", peak_slots, sound_slot_count);
    std::printf("verdict: %s%s\n", why.empty() ? "ok" : "FAIL", why.c_str());
    std::fflush(stdout);
    verdict_printed = true;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    int row_seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    if (seconds <= 0 || row_seconds <= 0) {
        std::fprintf(stderr, "usage: soak [seconds [row_seconds]]\n");
        return 2;
    }
    // What the executable's main does before the runtime.
    if (SDL_Init(SDL_INIT_NOPARACHUTE) < 0) return 1;
    std::atexit(SDL_Quit);
    Clock::time_point start = Clock::now();
    std::thread(monitor, start, row_seconds).detach();
    std::thread(drive, start + std::chrono::seconds(seconds)).detach();
    char name[] = "tommy-zappo";
    char* runtime_argv[] = {name, nullptr};
    runtime_main(1, runtime_argv, game_main);
    return 1;  // the threads could not start
}
