#include "game/game_state.h"

#include "game/basic.h"
#include "runtime/core/timer.h"

GameState game;

void reset_game_state() {
    StringDescriptor* key = game.key;
    StringDescriptor* horizontal_note = game.horizontal_note;
    StringDescriptor* vertical_note = game.vertical_note;
    game = GameState{};
    game.key = key;
    game.horizontal_note = horizontal_note;
    game.vertical_note = vertical_note;
    for (StringDescriptor* variable : {key, horizontal_note, vertical_note})
        if (variable) statement(0, [&] { let_text(variable, text("")); });
}

// One change of TIMER is one tick of its 18.2 per second clock. The values are
// compared as 32-bit floats, as the program's single-precision comparison did.
// Between two readings the program thread sleeps until TIMER can have
// changed, instead of reading it again at once: the wait then costs no
// processor and still ends on the tick it waits for.
void wait_ticks(int16_t n) {
    for (int16_t i = 1; i <= n; ++i) {
        double start = 0;
        statement(1246, [&] { start = timer(); });
        bool same = true;
        while (same) statement(1247, [&] {
            sleep_until_timer_differs(static_cast<float>(start));
            same = static_cast<float>(timer()) == static_cast<float>(start);
        });
    }
}
