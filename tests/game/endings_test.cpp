#include "game/endings.h"

#include <gtest/gtest.h>

#include "game/game_child.h"
#include "game/screens.h"

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
