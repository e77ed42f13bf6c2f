// The autopilot's decisions: one move at a time from what the screen shows.
//
// The hero heads for a free cell beside the bomb; when none can be reached,
// for the nearest key; each level's own mechanism adds its rule (the drops
// of level 5, the patroller of level 7, the double line of level 8, the
// enemy that guards the bomb in level 9). Paths never touch a cell beside a
// trap and pay for every cell near a chaser, so the route bends around them.
#pragma once

#include <string>

#include "board.h"

// What the planner remembers from one screenshot to the next.
struct PilotMemory {
    int patroller_col = 0;
    int patroller_direction = 1;  // level 7: +1 right, -1 left, as last seen
    bool lured = false;           // level 9: the guard has left the bomb once
};

struct Decision {
    Move move = Move::none;
    std::string reason;  // for the log: what the move is for
};

Decision plan_move(const Board& board, const Sighting& sighting, const LevelLook& look, PilotMemory& memory);

// Whether the hero may stand on the cell: it does not block him, no trap is
// beside it (unless the bomb is, whose check comes first), and no chaser is
// on it. Exposed for the tests.
bool safe_cell(const Board& board, const Sighting& sighting, const LevelLook& look, Cell cell);
