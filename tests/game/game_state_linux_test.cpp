#include "game/game_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/game_child.h"
#include "game/screens.h"
#include "runtime/core/strings.h"

namespace {

void wait_cases() {
    double t0 = 0, t1 = 0;
    statement(1, [&] { t0 = timer(); });
    wait_ticks(5);
    statement(1, [&] { t1 = timer(); });
    report_value("five.ticks", std::round((t1 - t0) * 18.2));
    // Below one tick nothing is waited: the TIMER value cannot have moved on
    // by a whole tick.
    statement(1, [&] { t0 = timer(); });
    uint32_t start_ms = SDL_GetTicks();
    wait_ticks(0);
    wait_ticks(-4);
    report_value("none.ms", SDL_GetTicks() - start_ms);
    // Start-up: windowed, SCREEN 13, 20 ticks, the options' start values.
    start_up();
    report_value("start.elapsed_ticks", std::round((timer() - t0) * 18.2));
    report_value("start.lives_setting", game.lives_setting);
    report_value("start.level", game.level);
    report_value("start.enemy_sound", game.enemy_sound);
    report_value("start.step_pause", game.step_pause);
    report_value("start.title_jingle_pending", game.title_jingle_pending);
    report_value("start.fade_color", game.fade_color);
    report_value("start.hard_mode", game.hard_mode);
    report_value("start.easy_bonus_seconds", game.easy_bonus_seconds);
    report_value("start.key_length", string_text(game.key).size());
    statement(1, [] { let_text(game.key, text("q")); });
    game.score = 40;
    reset_game_state();
    report_value("reset.key_length", string_text(game.key).size());
    report_value("reset.score", game.score);
    child_report("done");
    system_exit();
}

}  // namespace

const ChildResult& state_result() {
    static const ChildResult result = run_runtime_child(wait_cases);
    return result;
}

TEST(WaitTicks, WaitsForThatManyChangesOfTimerAndNotAtAllBelowOne) {
    const ChildResult& result = state_result();
    expect_clean_end(result);
    // At least n changes; a machine busy enough to hold the program thread
    // past a whole tick makes a wait longer, never shorter.
    EXPECT_GE(reported_value(result, "five.ticks"), 5);
    EXPECT_LE(reported_value(result, "five.ticks"), 8);
    EXPECT_LT(reported_value(result, "none.ms"), 20);
    // Start-up waits its 20 ticks after setting the screen mode, which a
    // loaded machine (or a sanitizer build) may make slow: only a bound
    // against a wait that never ends.
    EXPECT_GE(reported_value(result, "start.elapsed_ticks"), 20);
    EXPECT_LE(reported_value(result, "start.elapsed_ticks"), 200);
}

TEST(GameState, StartUpGivesNormalDifficultyFiveLivesAndTheSplashColour) {
    const ChildResult& result = state_result();
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "start.lives_setting"), 5);
    EXPECT_EQ(reported_value(result, "start.level"), 1);
    EXPECT_EQ(reported_value(result, "start.enemy_sound"), 1);
    EXPECT_EQ(reported_value(result, "start.step_pause"), 1);
    EXPECT_EQ(reported_value(result, "start.title_jingle_pending"), 1);
    EXPECT_EQ(reported_value(result, "start.fade_color"), 16);
    EXPECT_EQ(reported_value(result, "start.hard_mode"), 0);
    EXPECT_EQ(reported_value(result, "start.easy_bonus_seconds"), 0);
    EXPECT_EQ(reported_value(result, "start.key_length"), 0);
    // A reset keeps the text variables but empties them.
    EXPECT_EQ(reported_value(result, "reset.key_length"), 0);
    EXPECT_EQ(reported_value(result, "reset.score"), 0);
}
