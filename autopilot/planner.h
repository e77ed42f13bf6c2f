// The autopilot's decisions: one move at a time from what the screen shows.
//
// The hero heads for a free cell beside the bomb; when none can be reached,
// for the nearest key. In levels 1 to 3, 5 and 6 he takes the cheapest way:
// it never touches a cell beside a trap and pays for every cell near a
// chaser, so it bends around them, and the chasers' rules played forward
// must let him through; level 5 adds its rule for catching the drops. In
// levels 4, 7, 8 and 9 the look-ahead (lookahead.h) decides, and the way it
// finds is followed while the screen matches it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board.h"
#include "lookahead.h"

// What the planner remembers from one screenshot to the next.
struct PilotMemory {
    int patroller_col = 0;
    int patroller_direction = 0;  // level 7: +1 right, -1 left, as last seen; 0 not yet seen
    int waited_plans = 0;         // looks that found no safe way on
    double clock = 0;             // seconds, set by the caller at every look
    int seconds_left = 1000;      // set by the caller: the level's clock as shown
    // Level 4: the generator as last seen, and when it was last seen to
    // change (chaser turns counted then, and the clock); -1 while not seen.
    bool generator_seen = false;
    bool generator_walls = false;
    int generator_change_turn = -1;
    double generator_change_clock = 0;
    std::vector<int> rates;       // hero moves per chaser turn that may hold; set at the first look from the level's paces
    int looked_ahead_nodes = 0;   // of the last decision, for the log
    int moves_since_turn = -1;    // set by the caller: hero moves since the chasers last moved
    int chaser_turns = 0;         // set by the caller: chaser turns seen in this attempt
    std::vector<Cell> bombs;      // as last seen: the neutralising shows a "*" in the bomb's place
    // The way being followed, and how many of its moves were made: a new
    // look-ahead only when the screen stops matching it.
    Lookahead plan;
    size_t plan_done = 0;
    size_t plan_keys = 0, plan_bombs = 0;
};

struct Decision {
    Move move = Move::none;
    std::string reason;      // for the log: what the move is for
    bool wait_step = false;  // a planned wait: let one game step pass
};

Decision plan_move(const Board& board, const Sighting& sighting, const LevelLook& look, PilotMemory& memory);

// Whether the hero may stand on the cell: it does not block him, no trap is
// beside it (unless the bomb is, whose check comes first), and no chaser is
// on it. Exposed for the tests.
bool safe_cell(const Board& board, const Sighting& sighting, const LevelLook& look, Cell cell);

// One chaser turn by the game's rules (towards the hero into blanks, in the
// order down, up, right, left; then onto him); true when it catches him.
bool chaser_turn(std::array<std::array<uint8_t, 41>, 26>& codes, Cell& chaser, Cell hero, const LevelLook& look);

// Whether the hero can walk the path (cells after his own) and then stay
// put for stay_moves without a chaser catching him, whichever step the
// chasers' turns fall on.
bool survives(const Board& board, const Sighting& sighting, const LevelLook& look, const std::vector<Cell>& path, int stay_moves);
