// TIMER, RND and RANDOMIZE.
//
// TIMER counts seconds since local midnight as seen at start-up, in steps of
// 1/18.2 s (54.945 ms) unless an accuracy is given. RND is a 24-bit linear
// congruential generator that starts from the same seed in every run.
//
// | seed arithmetic | value                                   |
// |-----------------|-----------------------------------------|
// | start seed      | 327,680 (0x50000)                       |
// | next seed       | (seed * 16,598,013 + 12,820,163) & 0xFFFFFF |
// | result          | seed / 16,777,216                       |
#pragma once

#include <cstdint>

// The clock's ticks a second: TIMER steps by them and SOUND's durations,
// the game's and the autopilot's paces count them.
constexpr double ticks_per_second = 18.2;

struct RandomState {
    uint32_t rnd_seed = 0x50000;
    uint32_t rnd_initial_seed = 0x50000;  // RANDOMIZE USING restarts from here
};

extern RandomState random_state;
void reset_random_state();

// TIMER and TIMER(accuracy). Without accuracy (passed false) the result is a
// single-precision value; accuracy <= 0 is error 5 with result 0. Any thread.
double timer_value(double accuracy = 0, bool passed = false);

// The arithmetic of timer_value for a given time of day in ms; error 5 is
// raised the same way.
double timer_at(uint32_t ms_of_day, double accuracy, bool passed);

// Milliseconds from ms_of_day until the plain TIMER value first differs from
// the one it shows at ms_of_day (at least 1; the fall to 0 at midnight counts).
uint32_t timer_change_due_ms(uint32_t ms_of_day);

// Program thread: returns once the plain TIMER value differs from shown,
// sleeping until then instead of reading the clock again and again. It wakes
// within a fraction of a millisecond after the change. Returns at once while
// an error is pending, and within timer_sleep_slice_ms once attention_flag is
// set (the caller's statement step then holds or ends the program).
constexpr uint32_t timer_sleep_slice_ms = 10;
void sleep_until_timer_differs(float shown);

// Time of day in ms from the platform millisecond counter and the start-up
// base, wrapping at midnight.
uint32_t timer_ms_of_day(uint32_t now_ticks_ms, uint32_t ticks_base_ms, uint32_t ms_of_day_base);

// The BIOS tick count at 0x46C: the ms since local midnight times 0.0182,
// truncated, three bytes little-endian. The main thread alone refreshes it
// (every main-loop iteration); the program may read it at any time.
uint32_t bios_ticks_at(uint32_t now_ticks_ms, uint32_t ticks_base_ms, uint32_t ms_of_day_base);
void refresh_bios_tick_count();
uint32_t read_bios_tick_count();

// RND and RND(x): x = 0 repeats the last number, x < 0 reseeds from x first.
float rnd_value(float x = 1, bool passed = false);

constexpr int32_t randomize_value = 1;
constexpr int32_t randomize_using = 3;

// RANDOMIZE seed (mode 1) and RANDOMIZE USING seed (mode 3). The prompting
// form needs INPUT, which this runtime does not have: other modes do nothing.
void randomize_statement(double seed, int32_t mode);
