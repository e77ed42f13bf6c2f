#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "runtime/core/rounding.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/timer.h"

namespace {

struct TimerTest : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        reset_random_state();
    }
    void TearDown() override { reset_runtime_control(); }
};

}  // namespace

TEST_F(TimerTest, PlainTimerStepsAtHalfTicks) {
    EXPECT_EQ(timer_at(27, 0, false), 0.0);
    EXPECT_EQ(static_cast<float>(timer_at(28, 0, false)), static_cast<float>(1 / 18.2));
    EXPECT_FLOAT_EQ(static_cast<float>(timer_at(28, 0, false)), 0.05494506f);
    EXPECT_EQ(static_cast<float>(timer_at(1000, 0, false)), 0.9890110f);
    EXPECT_EQ(static_cast<float>(timer_at(1000, 0, false)), static_cast<float>(18 / 18.2));
}

TEST_F(TimerTest, NoonStepCount) {
    uint32_t noon_plus_30 = 12 * 3600 * 1000 + 30;
    EXPECT_EQ(timer_at(noon_plus_30, 0, false), 43200.0546875);
    EXPECT_EQ(timer_at(noon_plus_30, 0, false), static_cast<double>(static_cast<float>(786241 / 18.2)));
}

TEST_F(TimerTest, PlainTimerIsASingle) {
    for (uint32_t ms = 0; ms < 86400000; ms += 999983) {
        double value = timer_at(ms, 0, false);
        EXPECT_EQ(value, static_cast<double>(static_cast<float>(value)));
    }
}

TEST_F(TimerTest, StepsAreFiftyFiveMillisecondsApart) {
    // Readings 55 ms apart always differ; 10 ms apart mostly agree.
    int equal_at_10 = 0;
    for (uint32_t ms = 0; ms < 100000; ms += 7) {
        EXPECT_NE(timer_at(ms, 0, false), timer_at(ms + 55, 0, false)) << ms;
        if (timer_at(ms, 0, false) == timer_at(ms + 10, 0, false)) ++equal_at_10;
    }
    EXPECT_GT(equal_at_10, 100000 / 7 * 3 / 4);
}

TEST_F(TimerTest, AccuracyGivesWholeMilliseconds) {
    EXPECT_DOUBLE_EQ(timer_at(43200030, 0.001, true), 43200.03);
    EXPECT_DOUBLE_EQ(timer_at(1, 0.001, true), 0.001);
    EXPECT_DOUBLE_EQ(timer_at(1500, 1, true), 2.0);  // 1.5 s ties to the even 2
    EXPECT_DOUBLE_EQ(timer_at(2500, 1, true), 2.0);
}

TEST_F(TimerTest, AccuracyNotAboveZeroIsIllegal) {
    EXPECT_EQ(timer_at(5000, 0, true), 0.0);
    EXPECT_EQ(control.pending_error.load(), 5);
    control.pending_error = 0;
    EXPECT_EQ(timer_at(5000, -1, true), 0.0);
    EXPECT_EQ(control.pending_error.load(), 5);
    control.pending_error = 0;
    EXPECT_EQ(timer_at(5000, NAN, true), 0.0);
    EXPECT_EQ(control.pending_error.load(), 5);
}

TEST_F(TimerTest, PendingErrorGivesZero) {
    raise_error(6);
    EXPECT_EQ(timer_at(5000, 0, false), 0.0);
    EXPECT_EQ(timer_value(), 0.0);
    EXPECT_EQ(rnd_value(), 0.0f);
    EXPECT_EQ(random_state.rnd_seed, 0x50000u);
    randomize_statement(1234, randomize_value);
    EXPECT_EQ(random_state.rnd_seed, 0x50000u);
    EXPECT_EQ(control.pending_error.load(), 6);
}

TEST_F(TimerTest, MillisecondsOfDayWrapAtMidnight) {
    EXPECT_EQ(timer_ms_of_day(5000, 1000, 0), 4000u);
    EXPECT_EQ(timer_ms_of_day(5000, 1000, 86399000), 3000u);
    // The platform counter wrapping keeps the unsigned difference.
    EXPECT_EQ(timer_ms_of_day(100, 0xFFFFFF00u, 0), 356u);
}

TEST_F(TimerTest, TimerValueFollowsTheStartUpBase) {
    control.ticks_base = 0;
    control.ms_of_day_base = 0;
    double first = timer_value(0.001, true);
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 86400.0);
}

// The next change of the plain value, by rows; every row is also checked
// against timer_at itself: the value holds until the millisecond before and
// differs at the one returned.
TEST_F(TimerTest, NextChangeIsTheFirstMillisecondShowingAnotherValue) {
    constexpr uint32_t midnight = 86400000;
    static constexpr struct {
        uint32_t ms_of_day, due_ms;
    } rows[] = {
        {0, 28},                    // 0 until 0.027 s
        {27, 1},
        {28, 55},                   // the first step holds until 0.082 s
        {82, 1},
        {43200000, 28},             // noon: 786,240.5 steps at 12:00:00.0275
        {midnight - 28, 1},         // 86400 is shown from 23:59:59.973 on
        {midnight - 27, 27},        // the fall to 0 at midnight is a change
        {midnight - 1, 1},
    };
    auto shown = [](uint32_t ms) { return static_cast<float>(timer_at(ms % midnight, 0, false)); };
    for (const auto& row : rows) {
        uint32_t due = timer_change_due_ms(row.ms_of_day);
        EXPECT_EQ(due, row.due_ms) << row.ms_of_day;
        EXPECT_EQ(shown(row.ms_of_day + due - 1), shown(row.ms_of_day)) << row.ms_of_day;
        EXPECT_NE(shown(row.ms_of_day + due), shown(row.ms_of_day)) << row.ms_of_day;
    }
    for (uint32_t ms = 0; ms < 200000; ms += 13) {
        uint32_t due = timer_change_due_ms(ms);
        ASSERT_EQ(shown(ms + due - 1), shown(ms)) << ms;
        ASSERT_NE(shown(ms + due), shown(ms)) << ms;
    }
}

// The sleeping wait ends with the value changed, whatever point of a step
// it starts at.
TEST_F(TimerTest, SleepingUntilTheValueDiffersEndsOnTheChange) {
    control.ticks_base = SDL_GetTicks();
    control.ms_of_day_base = 0;
    for (int start = 0; start < 6; ++start) {
        SDL_Delay(static_cast<Uint32>(start * 9));
        float before = static_cast<float>(timer_value());
        sleep_until_timer_differs(before);
        EXPECT_NE(static_cast<float>(timer_value()), before) << start;
    }
}

// Pause, Ctrl+Break and a close set attention_flag; the sleeping wait gives
// way to the statement step then, before TIMER changes, whether the flag was
// set before the wait or during it.
TEST_F(TimerTest, SleepingUntilTheValueDiffersGivesWayToAttention) {
    control.ticks_base = SDL_GetTicks();
    control.ms_of_day_base = 0;
    for (int set_after_ms : {0, 15}) {
        control.attention_flag = 0;
        sleep_until_timer_differs(static_cast<float>(timer_value()));  // start just after a change
        float before = static_cast<float>(timer_value());
        std::thread setter([set_after_ms] {
            SDL_Delay(static_cast<Uint32>(set_after_ms));
            control.attention_flag = 1;
        });
        if (set_after_ms == 0) setter.join();
        sleep_until_timer_differs(before);
        EXPECT_EQ(static_cast<float>(timer_value()), before) << set_after_ms;
        if (setter.joinable()) setter.join();
    }
}

TEST_F(TimerTest, RndSequenceFromTheStartSeed) {
    EXPECT_FLOAT_EQ(rnd_value(), 0.7055475f);
    EXPECT_EQ(random_state.rnd_seed, 11837123u);
    EXPECT_FLOAT_EQ(rnd_value(), 0.5334240f);
    EXPECT_EQ(random_state.rnd_seed, 8949370u);
    EXPECT_FLOAT_EQ(rnd_value(1, true), 0.5795186f);
    EXPECT_EQ(random_state.rnd_seed, 9722709u);
    EXPECT_FLOAT_EQ(rnd_value(), 0.2895625f);
    EXPECT_EQ(random_state.rnd_seed, 4858052u);
    EXPECT_FLOAT_EQ(rnd_value(), 0.3019480f);
    EXPECT_EQ(random_state.rnd_seed, 5065847u);
}

TEST_F(TimerTest, RndZeroRepeatsAndNegativeReseeds) {
    EXPECT_EQ(rnd_value(0, true), 0.01953125f);
    EXPECT_EQ(rnd_value(0, true), 0.01953125f);
    EXPECT_FLOAT_EQ(rnd_value(), 0.7055475f);
    EXPECT_FLOAT_EQ(rnd_value(-1, true), 0.2240070f);
    EXPECT_FLOAT_EQ(rnd_value(-1, true), 0.2240070f);
    EXPECT_FLOAT_EQ(rnd_value(0, true), 0.2240070f);
    // An absent argument is 1 even when the value handed over is 0.
    EXPECT_NE(rnd_value(0, false), 0.2240070f);
}

TEST_F(TimerTest, RndStaysBelowOne) {
    for (int i = 0; i < 100000; ++i) {
        float value = rnd_value();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
    }
}

TEST_F(TimerTest, RandomizeKeepsTheLowByte) {
    random_state.rnd_seed = 0x1234AB;
    randomize_statement(1.0, randomize_value);  // high word 0x3FF00000
    EXPECT_EQ(random_state.rnd_seed, ((0x3FF00000u ^ 0x3FF0u) & 0xFFFF) << 8 | 0xAB);
    random_state.rnd_seed = 0x1234AB;
    randomize_statement(1.0, randomize_using);  // low byte of the start seed
    EXPECT_EQ(random_state.rnd_seed, ((0x3FF00000u ^ 0x3FF0u) & 0xFFFF) << 8 | 0x00);
    uint32_t before = random_state.rnd_seed;
    randomize_statement(5.0, 0);
    EXPECT_EQ(random_state.rnd_seed, before);
}

TEST_F(TimerTest, RandomizeUsingRestartsTheSequence) {
    randomize_statement(42.0, randomize_using);
    float first = rnd_value();
    float second = rnd_value();
    randomize_statement(42.0, randomize_using);
    EXPECT_EQ(rnd_value(), first);
    EXPECT_EQ(rnd_value(), second);
}

TEST(Rounding, NearestWithTiesToEven) {
    EXPECT_EQ(round_to_int64(0.5L), 0);
    EXPECT_EQ(round_to_int64(1.5L), 2);
    EXPECT_EQ(round_to_int64(-1.5L), -2);
    EXPECT_EQ(round_to_int64(2.5L), 2);
    EXPECT_EQ(round_to_int64(-2.5L), -2);
    EXPECT_EQ(round_to_int64(2.5000001L), 3);
    EXPECT_EQ(round_to_int32(3.5), 4);
    EXPECT_EQ(round_to_int32(-2.5), -2);
    EXPECT_EQ(round_to_int32(2.4999999), 2);
    EXPECT_EQ(round_to_int32(2147483647.0), 2147483647);
    EXPECT_EQ(round_to_int32(-2147483648.0), INT32_MIN);
    EXPECT_EQ(round_to_int64(9007199254740993.0L), 9007199254740993LL);
}

TEST(Rounding, OutOfRangeIsTheIndefiniteInteger) {
    EXPECT_EQ(round_to_int32(2147483647.5), INT32_MIN);
    EXPECT_EQ(round_to_int32(1e20), INT32_MIN);
    EXPECT_EQ(round_to_int32(NAN), INT32_MIN);
    EXPECT_EQ(round_to_int64(1e30L), INT64_MIN);
    EXPECT_EQ(round_to_int64(static_cast<long double>(NAN)), INT64_MIN);
}
