// Helpers for game tests that run the whole runtime in a child process: the
// child reports "name=value" lines, the parent reads them back.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/basic.h"
#include "game/game_state.h"
#include "support/runtime_child.h"

// In the child: one named number.
inline void report_value(const std::string& name, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    child_report(name + "=" + text);
}

// In the parent: the number the child reported under name; NaN when none.
inline double reported_value(const ChildResult& result, const std::string& name) {
    for (const std::string& line : result.reports)
        if (line.rfind(name + "=", 0) == 0) return std::stod(line.substr(name.size() + 1));
    return std::numeric_limits<double>::quiet_NaN();
}

// In the child: a character in a colour at a cell, as the game draws one.
inline void put_char(float row, float col, float code, float fg = 15) {
    statement(1, [&] { locate(row, col); });
    statement(1, [&] { color(fg); });
    statement(1, [&] { print({chr(code)}); });
}

// In the child: the character code shown at a cell.
inline float char_at(float row, float col) {
    float code = 0;
    statement(1, [&] { code = screen_char(row, col); });
    return code;
}

// The parent's check that the child ran to its end and exited normally.
inline void expect_clean_end(const ChildResult& result) {
    EXPECT_TRUE(result.exited) << result.stderr_text;
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("done")) << result.stderr_text;
}
