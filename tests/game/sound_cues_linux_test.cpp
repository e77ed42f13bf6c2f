// The tunes of the level mechanisms, each at its event and nothing else,
// heard through SDL's disk audio driver.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/audio_capture.h"
#include "game/level_child.h"
#include "game/mechanics.h"
#include "game/screens.h"

namespace {

void mechanism_events() {
    start_up();
    // Level 4: the four corner keys, the fourth showing the bomb.
    begin_level(4);
    for (auto [row, col] : {std::pair{2.0f, 2.0f}, {22.0f, 30.0f}, {2.0f, 30.0f}, {22.0f, 2.0f}}) {
        place_hero(row, col);
        generator_keys_and_bomb();
    }
    // Level 5: a drop back at the top, then the fortieth drop collected.
    begin_level(5);
    game.enemy1_row = 22;
    game.enemy1_col = 5;
    falling_drop();
    game.drops_caught = 39;
    game.enemy1_row = 21;
    game.enemy1_col = 23;
    falling_drop();
    report_value("drops", game.drops_caught);
    // Level 7: the key that opens the block.
    begin_level(7);
    place_hero(2, 2);
    temple_key_and_bomb();
    // Level 8: the captured enemy opens the way to the bomb.
    begin_level(8);
    game.enemy_color = 44;
    fog_reward();
    // Steps with nothing to take are silent.
    fog_reward();
    temple_key_and_bomb();
    let_the_last_sound_reach_the_device();
    child_report("done");
    system_exit();
}

}  // namespace

TEST(SoundCues, EachMechanismPlaysItsTuneAtItsEventAndNothingElse) {
    AudioCapture audio;
    ChildResult result = run_runtime_child(mechanism_events, audio.options(60000));
    std::vector<uint8_t> device = audio.take();
    expect_clean_end(result);
    EXPECT_EQ(reported_value(result, "drops"), 41);
    expect_only_these_tunes(device, {
                                        {"o0l60affd", 120},
                                        {"o0l60affd", 120},
                                        {"o0l60affd", 120},
                                        {"o0l60affd", 120},
                                        {"o2l60bcbcb", 120},
                                        {"o3l60ad", 120},
                                        {"o2l60bcfg", 120},
                                        {"O2l60gddfg", 120},
                                        {"o0l60addp10p60", 120},
                                        {"o0l60addp10p60", 120},
                                        {"o2l60dcfdg", 120},
                                    });
}
