// Shared by the screen fuzz targets: reading the input as small numbers, and
// the check that turns a broken promise into a crash libFuzzer reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/core/runtime_control.h"
#include "runtime/screen/screen_mode.h"

inline void check(bool condition) {
    if (!condition) std::abort();
}

// The input's bytes in order; 0 once they are used up.
struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    int16_t next16() { return static_cast<int16_t>(next() | next() << 8); }
};

// Every input starts from a fresh SCREEN 0, as at start-up; the size tables
// are filled once.
inline void start_screen_for_input() {
    static const bool tables_filled = [] {
        screen_start_tables();
        return true;
    }();
    (void)tables_filled;
    reset_runtime_control();
    screen_start();
}
