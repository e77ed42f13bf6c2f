// Strings, TIMER and RND inside the whole runtime (child processes).
#include <gtest/gtest.h>

#include <time.h>

#include <cmath>
#include <string>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/end_program.h"
#include "runtime/core/number_text.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/core/timer.h"
#include "support/runtime_child.h"

namespace {

std::string text_of(StringDescriptor* s) { return std::string(string_text(s)); }

double local_seconds_of_day() {
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

}  // namespace

TEST(StringsInTheRuntime, StartUpStringsCommandLineTimerAndRnd) {
    ChildOptions options;
    options.args = {"alpha", "two words"};
    ChildResult result = run_runtime_child([] {
        statement(10, [] { child_report("command:" + text_of(command_line())); });
        statement(20, [] {
            child_report("nothing:" + std::to_string(nothing_string()->length) + " space:[" +
                         text_of(space_string()) + "]");
            child_report(space_string()->data == emulated_memory + 1280 + 256 ? "space in segment" : "space elsewhere");
        });
        statement(30, [] {
            child_report(control.ms_of_day_base.load() % 1000 == 0 ? "base on a second" : "base off a second");
            double timer = timer_value();
            double local = local_seconds_of_day();
            // Local midnight between the two readings aside, TIMER is the
            // local time of day within its step.
            bool near = std::fabs(timer - local) < 1.2 || std::fabs(timer - local) > 86000;
            child_report(near ? "timer near the clock" : "timer " + std::to_string(timer) + " clock " + std::to_string(local));
        });
        // Counts the changes of TIMER over 1.1 s: 20 steps of 54.945 ms.
        int changes = 0;
        double last = timer_value();
        double start = timer_value(0.001, true);
        while (timer_value(0.001, true) - start < 1.1 && timer_value(0.001, true) >= start) {
            statement(40, [&] {
                double now = timer_value();
                if (static_cast<float>(now) != static_cast<float>(last)) ++changes;
                last = now;
            });
        }
        child_report("changes:" + std::to_string(changes));
        statement(50, [] {
            float first = rnd_value();
            child_report(first == 11837123 / 16777216.0f ? "rnd starts as always" : "rnd " + std::to_string(first));
        });
        // A CHR$ out of range reports error 5; after Yes the program goes on.
        answer_next_dialog(SDLK_y);
        statement(60, [] {
            StringDescriptor* work = new_string(0, false);
            assign_string(work, chr_string(300));
            child_report("chr length:" + std::to_string(work->length));
            free_string(work);
        });
        child_report("continued");
        uint32_t base = current_temp_top();
        for (int i = 0; i < 20000; ++i) {
            statement(70, [i] {
                StringDescriptor* work = new_string(0, false);
                assign_string(work, concat_strings(single_to_text(static_cast<float>(i)), temp_cstring(" ")));
                free_string(work);
            });
        }
        child_report(current_temp_top() == base ? "temporaries released" : "temporaries left");
        system_exit();
    }, options);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("command:alpha two words"));
    EXPECT_TRUE(result.reported("nothing:0 space:[ ]"));
    EXPECT_TRUE(result.reported("space in segment"));
    EXPECT_TRUE(result.reported("base on a second"));
    EXPECT_TRUE(result.reported("timer near the clock"));
    // 20 steps; a reading delayed past a whole step (a busy machine) merges two.
    int changes = -1;
    for (const std::string& line : result.reports)
        if (line.rfind("changes:", 0) == 0) changes = std::stoi(line.substr(8));
    EXPECT_GE(changes, 14);
    EXPECT_LE(changes, 21);
    EXPECT_TRUE(result.reported("rnd starts as always"));
    EXPECT_TRUE(result.reported("chr length:0"));
    EXPECT_TRUE(result.reported("caption:Unhandled Error #5"));
    EXPECT_TRUE(result.reported("text:Line:60|Illegal function call|Continue?"));
    EXPECT_TRUE(result.reported("continued"));
    EXPECT_TRUE(result.reported("temporaries released"));
}

TEST(StringsInTheRuntime, AStringTooLongForMemoryEndsWithItsBox) {
    ChildResult result = run_runtime_child([] {
        answer_next_dialog(SDLK_RETURN);
        statement(10, [] { repeat_char_string(0x7FFFFFF0, 65); });
        child_report("went on");
        system_exit();
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("caption:Critical Error #12"));
    EXPECT_TRUE(result.reported("text:Out of memory"));
    EXPECT_FALSE(result.reported("went on"));
}
