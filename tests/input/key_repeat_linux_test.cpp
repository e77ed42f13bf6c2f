// g++ 12 warns of an uninitialised std::function inside <regex> when it
// optimises with the sanitizers on: a false positive in the library's code.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "key_reading.h"
#include "runtime/input/key_repeat.h"
#include "support/x_server.h"

namespace {

// Keys held and released through a real X server, on whichever SDL 1.2 is
// loaded. A step is an xdotool command and the pause after it; the keys read
// from settle_ms after the command until the next step must match settled (a
// press may come that late on a busy machine), all the row's keys all. A
// repeat never comes before the delay nor faster than the interval; a held
// key repeats at every event drain (some 32 ms), which the counts show.
struct Step {
    const char* xdotool;
    int pause_ms;
    const char* settled;
};

struct RepeatCase {
    std::vector<Step> steps;
    const char* all;
};

constexpr uint32_t settle_ms = 80;

const RepeatCase repeat_cases[] = {
    {{{"key --delay 0 Left 5 a F1", 1000, "(004b )?(35 )?(61 )?(003b )?"}}, "004b 35 61 003b "},  // quick taps
    {{{"keydown Right", 1000, "(004d ){6,}"}, {"keyup Right", 1000, ""}}, "(004d ){7,}"},  // one key held
    {{{"keydown a", 300, "(61 )?"}, {"keydown b", 800, "(62 ){3,}"}, {"keyup a", 700, "(62 ){8,}"}, {"keyup b", 1000, ""}},
     "61 (62 ){12,}"},  // the later key repeats, also once the other is released
    {{{"keydown a", 800, "(61 ){3,}"}, {"keydown b", 300, "(62 )?"}, {"keyup b", 1000, ""}, {"keyup a", 300, ""}},
     "(61 ){4,}62 "},  // the earlier key does not take over
};

// In the child: the steps run on a thread of their own while the program
// reads INKEY$. "settled keys of each step|all keys|early repeats".
std::string play_case(const RepeatCase& row) {
    const size_t count = row.steps.size();
    std::vector<uint32_t> start_ms(count), done_ms(count);
    std::atomic<bool> finished{false};
    std::thread typist([&] {
        for (size_t i = 0; i < count; ++i) {
            start_ms[i] = SDL_GetTicks();
            command_output(std::string("xdotool ") + row.steps[i].xdotool + " 2>/dev/null");
            done_ms[i] = SDL_GetTicks();
            SDL_Delay(static_cast<Uint32>(row.steps[i].pause_ms));
        }
        finished = true;
    });
    std::vector<std::pair<std::string, uint32_t>> keys;
    while (!finished.load())
        if (std::string hex = read_key_hex(1); !hex.empty()) keys.push_back({hex, SDL_GetTicks()});
    typist.join();
    std::vector<std::string> settled(count);
    std::string all, early;
    size_t step = 0, press = 0, press_step = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        while (step + 1 < count && keys[i].second >= start_ms[step + 1]) ++step;
        if (keys[i].second >= done_ms[step] + settle_ms) settled[step] += keys[i].first + " ";
        all += keys[i].first + " ";
        if (i == 0 || keys[i].first != keys[i - 1].first) {
            press = i;
            press_step = step;
            continue;
        }
        // The press came after its step began, and a key is read at the
        // earliest when it came: a bound no busy machine can break.
        if (keys[i].second - start_ms[press_step] < key_repeat_delay_ms + (i - press) * key_repeat_interval_ms)
            early += std::to_string(i) + " ";
    }
    std::string report;
    for (const std::string& keys_of_step : settled) report += keys_of_step + "|";
    return report + all + "|" + early;
}

TEST(KeyRepeat, HeldKeysRepeatAsTheOriginalLibraryDid) {
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    XServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb could not be started";

    ChildOptions options;
    options.environment = {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", server.display()}};
    options.timeout_ms = 60000;
    ChildResult result = run_runtime_child(
        [] {
            focus_own_window();
            for (const RepeatCase& row : repeat_cases) child_report(play_case(row));
            system_exit();
        },
        options);
    ASSERT_TRUE(result.reported("window:found")) << result.stderr_text;
    ASSERT_EQ(result.reports.size(), 1 + std::size(repeat_cases));
    for (size_t r = 0; r < std::size(repeat_cases); ++r) {
        std::string expected;
        for (const Step& step : repeat_cases[r].steps) expected += std::string(step.settled) + "\\|";
        expected += std::string(repeat_cases[r].all) + "\\|";
        EXPECT_TRUE(std::regex_match(result.reports[1 + r], std::regex(expected))) << result.reports[1 + r];
    }
}

}  // namespace
