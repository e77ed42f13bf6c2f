// The two ends of a game and the tunes of the whole game, heard through
// SDL's disk audio driver: every tune at its event, nothing else sounding,
// and the tempo the ending sets kept for the rest of the run.
#include "game/endings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/audio_capture.h"
#include "game/ending_routines.h"
#include "game/game_child.h"
#include "game/level_child.h"
#include "game/level_data.h"
#include "game/level_mechanics.h"
#include "game/level_setup.h"
#include "game/play_loop.h"
#include "game/screens.h"

namespace {

void quit_at_once() {
    start_up();
    begin_level(1);
    push_key(SDLK_q, 'q');
    wait_ticks(3);
    report_value("step", static_cast<int>(play_step()));
    report_value("after", static_cast<int>(game_over_sequence()));
    let_the_last_sound_reach_the_device();
    child_report("done");
    system_exit();
}

const std::vector<ExpectedTune> collapse_and_dust = {
    {"o0l60adaddd", 120}, {"o0l60adadad", 120}, {"o0l60adadad", 120},  {"o0l60adadad", 120},  {"o0l60adadad", 120},
    {"o0l60adadad", 120}, {"o0l60adadad", 120}, {"o0l60adadda", 120},  {"o0l60daddad", 120},  {"o0l60adadad", 120},
    {"o0l60adadad", 120}, {"o0l60addadad", 120}, {"o0l60aaadad", 120}, {"o0l60adddad", 120}, {"o0l60adaadd", 120},
    {"o0l60adadaad", 120}, {"o0l60adadadp10p60", 120},
};

}  // namespace

TEST(GameOver, QuitInTheFirstStepPlaysTheCollapseAndTheDustAndNothingElse) {
    AudioCapture audio;
    ChildResult result = run_runtime_child(quit_at_once, audio.options(60000));
    std::vector<uint8_t> device = audio.take();
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "step"), static_cast<int>(Screen::game_over));
    EXPECT_EQ(reported_value(result, "after"), static_cast<int>(Screen::title));
    expect_only_these_tunes(device, collapse_and_dust);
}

void hard_ending_then_title() {
    start_up();
    game.hard_mode = 1;
    game.score = 50;
    report_value("ending_to_title", ending_sequence() == Screen::title);
    report_value("medal_won", game.medal_won);
    title_screen();
    wait_ticks(60);  // time to look at the title with its medal
    child_report("done");
    system_exit();
}

void ending_then_menu() {
    start_up();
    game.score = 50;
    for (Screen next = Screen::ending;;) next = run_screen(next);
}

namespace {

// The enemy is due to move at the next level step.
void enemy_due() { game.enemy_tick = game.enemy_period - 1; }

void ending_then_play() {
    start_up();
    game.score = 120;
    report_value("ending", static_cast<int>(ending_sequence()));
    report_value("medal_won", game.medal_won);
    report_value("title", static_cast<int>(title_screen()));
    report_value("medal_top", char_at(5, 17));
    report_value("medal_bottom", char_at(6, 17));

    // Enemy sound off: the chaser moves in silence, the key still sounds.
    begin_level(1, 0, 0);
    enemy_due();
    level_own_work();
    report_value("silent_move.row", game.enemy1_row);
    place_hero(2, 2);
    level_own_work();
    report_value("silent_move.key", game.key1_taken);

    // Enemy sound on: its move down plays the level's vertical note.
    begin_level(1, 0, 1);
    enemy_due();
    level_own_work();
    report_value("sounding_move.row", game.enemy1_row);
    let_the_last_sound_reach_the_device();
    child_report("done");
    system_exit();
}

}  // namespace

TEST(Ending, TempoOneEightyStaysForTheTitleAndTheEnemiesAndNoMedalOutsideHard) {
    AudioCapture audio;
    ChildResult result = run_runtime_child(ending_then_play, audio.options(90000));
    std::vector<uint8_t> device = audio.take();
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "ending"), static_cast<int>(Screen::title));
    EXPECT_EQ(reported_value(result, "medal_won"), 0);
    EXPECT_EQ(reported_value(result, "title"), static_cast<int>(Screen::menu));
    EXPECT_EQ(reported_value(result, "medal_top"), 32);
    EXPECT_EQ(reported_value(result, "medal_bottom"), 32);
    EXPECT_EQ(reported_value(result, "silent_move.row"), 4);
    EXPECT_EQ(reported_value(result, "silent_move.key"), 1);
    EXPECT_EQ(reported_value(result, "sounding_move.row"), 4);

    std::vector<ExpectedTune> tunes = {{"o0l60adad", 120}, {"o0l60adad", 120}, {"o0l60adad", 120}, {"o2l60afdfp1p60", 120}};
    for (int i = 0; i < 8; ++i) tunes.push_back({"o0l60dad", 120});
    tunes.push_back({"o3l60dcbb", 120});
    tunes.push_back({"T180o2P2P8L8GGGL2E-P24P8L8FFFL2D", 120});
    // From here on everything plays at 180: a note of length 60 lasts 1/45 s.
    tunes.push_back({"o1l20affaffbffbffdffdffg", 180});
    tunes.push_back({"o0l60adad", 180});  // the key; the silent enemy made no sound
    tunes.push_back({"o1l60c", 180});     // the enemy's move down in level 1
    expect_only_these_tunes(device, tunes);
}

namespace {

void ending_cases() {
    start_up();
    game.title_jingle_pending = 0;
    game.score = 1234;
    game.hard_mode = 1;
    report_value("hard.next", static_cast<int>(ending_sequence()));
    report_value("hard.medal", game.medal_won);
    // The medal now shows on every title screen, two rows above the menu.
    report_value("title.next", static_cast<int>(title_screen()));
    report_value("title.medal_top", char_at(5, 17));
    report_value("title.medal_bottom", char_at(6, 17));
    report_value("title.hero", char_at(5, 8));

    game.score = 70;
    report_value("over.next", static_cast<int>(game_over_sequence()));
    report_value("over.score", game.score);
    child_report("done");
    system_exit();
}

ChildOptions slow_child() {
    ChildOptions options;
    options.timeout_ms = 180000;
    return options;
}

}  // namespace

TEST(Endings, HardEndingAwardsTheMedalAndBothEndingsReturnToTheTitle) {
    ChildResult result = run_runtime_child(ending_cases, slow_child());
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "hard.next"), static_cast<int>(Screen::title));
    EXPECT_EQ(reported_value(result, "hard.medal"), 1);
    EXPECT_EQ(reported_value(result, "title.next"), static_cast<int>(Screen::menu));
    EXPECT_EQ(reported_value(result, "title.medal_top"), 5);
    EXPECT_EQ(reported_value(result, "title.medal_bottom"), 15);
    EXPECT_EQ(reported_value(result, "title.hero"), 2);
    EXPECT_EQ(reported_value(result, "over.next"), static_cast<int>(Screen::title));
    EXPECT_EQ(reported_value(result, "over.score"), 70);
}
