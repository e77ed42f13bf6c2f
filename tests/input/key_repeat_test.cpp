#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "key_reading.h"
#include "runtime/core/end_program.h"
#include "runtime/input/key_repeat.h"
#include "support/runtime_child.h"
#include "support/x_server.h"

namespace {

// Keys held and released through a real X server: the runtime's own repeat
// on whichever SDL 1.2 is loaded. A step is one xdotool command and the time
// left before the next; once the step's keys have reached the program
// (settle_ms after the command ends), the entries up to the next step must match
// settled. The row's whole sequence must match all.
struct Step {
    const char* xdotool;
    int pause_ms;
    const char* settled;
};

struct RepeatCase {
    const char* name;
    std::vector<Step> steps;
    const char* all;
};

constexpr uint32_t settle_ms = 80;  // two event drains and some

const RepeatCase repeat_cases[] = {
    {"quick taps stay single", {{"key --delay 0 Left 5 a F1", 1000, "^$"}}, "^004b 35 61 003b $"},
    {"held key repeats", {{"keydown Right", 1000, "^(004d ){8,}$"}, {"keyup Right", 1000, "^$"}}, "^(004d ){9,}$"},
    {"later key repeats after the other's release",
     {{"keydown a", 300, "^$"},
      {"keydown b", 800, "^(62 ){3,}$"},
      {"keyup a", 700, "^(62 ){10,}$"},
      {"keyup b", 1000, "^$"}},
     "^61 (62 ){14,}$"},
    {"earlier key does not take over",
     {{"keydown a", 800, "^(61 ){3,}$"}, {"keydown b", 300, "^$"}, {"keyup b", 1000, "^$"}, {"keyup a", 300, "^$"}},
     "^(61 ){4,}62 $"},
};

struct Entry {
    std::string hex;
    uint32_t ms;
};

// In the child: runs the steps on a thread of their own while the program
// reads INKEY$; "name|entries of step 0|entries of step 1|...", an entry
// as hex@ms.
std::string play_case(const RepeatCase& row) {
    std::vector<uint32_t> start_ms(row.steps.size()), done_ms(row.steps.size());
    std::atomic<bool> finished{false};
    std::thread keys([&] {
        for (size_t i = 0; i < row.steps.size(); ++i) {
            start_ms[i] = SDL_GetTicks();
            command_output(std::string("xdotool ") + row.steps[i].xdotool + " 2>/dev/null");
            done_ms[i] = SDL_GetTicks();
            SDL_Delay(static_cast<Uint32>(row.steps[i].pause_ms));
        }
        finished = true;
    });
    std::vector<Entry> entries;
    while (!finished.load()) {
        std::string hex = read_key_hex(1);
        if (!hex.empty()) entries.push_back({hex, SDL_GetTicks()});
    }
    keys.join();
    std::string report = row.name;
    size_t next = 0;
    for (size_t i = 0; i < row.steps.size(); ++i) {
        uint32_t settled_from = done_ms[i] + settle_ms;
        uint32_t until = i + 1 < row.steps.size() ? start_ms[i + 1] : UINT32_MAX;
        report += "|";
        for (; next < entries.size() && entries[next].ms < until; ++next) {
            report += (entries[next].ms < settled_from ? "~" : "") + entries[next].hex + "@" +
                      std::to_string(entries[next].ms) + " ";
        }
    }
    return report;
}

// Entries of one step: "~" marks those before the step had settled.
std::vector<std::pair<Entry, bool>> parse_step(const std::string& text) {
    std::vector<std::pair<Entry, bool>> entries;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        bool settling = word[0] == '~';
        if (settling) word.erase(0, 1);
        size_t at = word.find('@');
        entries.push_back({{word.substr(0, at), static_cast<uint32_t>(std::stoul(word.substr(at + 1)))}, settling});
    }
    return entries;
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
    EXPECT_EQ(result.status, 0);
    ASSERT_TRUE(result.reported("window:found")) << result.stderr_text;
    ASSERT_EQ(result.reports.size(), 1 + std::size(repeat_cases));

    for (size_t r = 0; r < std::size(repeat_cases); ++r) {
        const RepeatCase& row = repeat_cases[r];
        const std::string& report = result.reports[1 + r];
        SCOPED_TRACE(report);
        std::vector<std::string> steps;
        for (size_t from = 0, bar = 0; bar != std::string::npos; from = bar + 1) {
            bar = report.find('|', from);
            steps.push_back(report.substr(from, bar == std::string::npos ? bar : bar - from));
        }
        ASSERT_EQ(steps.size(), 1 + row.steps.size());
        std::string all;
        std::vector<Entry> sequence;
        for (size_t i = 0; i < row.steps.size(); ++i) {
            std::string settled;
            for (const auto& [entry, settling] : parse_step(steps[1 + i])) {
                all += entry.hex + " ";
                sequence.push_back(entry);
                if (!settling) settled += entry.hex + " ";
            }
            EXPECT_TRUE(std::regex_match(settled, std::regex(row.steps[i].settled)))
                << row.name << ", after \"" << row.steps[i].xdotool << "\": " << settled;
        }
        EXPECT_TRUE(std::regex_match(all, std::regex(row.all))) << row.name << ": " << all;
        // The first repeat comes two event drains (some 32 ms each) after the
        // 500 ms delay, each later one a drain after the one before: never
        // sooner, and on a busy machine (a drain held back, a key read late)
        // somewhat later.
        size_t press = 0, first_repeat = 0;
        for (size_t i = 1; i < sequence.size(); ++i) {
            if (sequence[i].hex != sequence[i - 1].hex) {
                press = i;
                continue;
            }
            uint32_t gap_ms = sequence[i].ms - sequence[i - 1].ms;
            if (i == press + 1) {
                first_repeat = i;
                EXPECT_GE(gap_ms, key_repeat_delay_ms) << row.name << ", entry " << i;
                EXPECT_LT(gap_ms, 1000u) << row.name << ", entry " << i;
            } else {
                uint32_t since_first_ms = sequence[i].ms - sequence[first_repeat].ms;
                EXPECT_GT(since_first_ms, (i - first_repeat) * key_repeat_interval_ms - 20) << row.name << ", entry " << i;
                EXPECT_LT(gap_ms, 250u) << row.name << ", entry " << i;
            }
        }
    }
}

}  // namespace
