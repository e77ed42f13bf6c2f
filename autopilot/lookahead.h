// Looking ahead: the chasers follow fixed rules, so the hero's next few
// dozen moves can be played out against them before one is made. What is
// not known is when their turns fall between his moves, so every guess of
// pace and phase is played at once (a "world" each), and a way counts only
// if it is safe in all of them.
#pragma once

#include <cstddef>
#include <vector>

#include "board.h"
#include "tuning.h"

struct LookaheadLimits {
    int max_depth = tuning::lookahead_depth;  // moves looked ahead
    int max_nodes = tuning::lookahead_nodes;  // states looked at, to bound the time per decision
    std::vector<int> rates;  // hero moves per chaser turn that may hold; empty: the level's period
    // Hero moves (or waited steps) since the chasers were last seen to
    // move; -1 when not used. When given, only the phases near it are
    // played: a bolder look-ahead, for breaking a standoff.
    int moves_since_turn = -1;
    // Level 4: the generator as the screen shows it, and the chaser turns
    // from now to its next change, as known: at least, at most. The changes
    // are played in every world, so the hero stands beside a generator cell
    // only while it is a wall whatever the true count.
    bool generator_walls = true;
    int generator_change_min = 1;
    int generator_change_max = 1 << 20;
    // Level 7: the patroller's direction on row 2, as last seen (+1, -1),
    // or 0 when it is not known yet.
    int patroller_direction = 0;
};

enum class Aim {
    bomb,     // stand beside a bomb
    key,      // stand on a key and still have a way out
    capture,  // level 8: bring the enemy to the double line
};

struct Lookahead {
    bool found = false;       // moves lead to a goal; otherwise they only hold out
    Aim aim = Aim::bomb;
    std::vector<Move> moves;  // the way; Move::none means waiting a step
    std::vector<Cell> hero_path;              // per move: the hero's cell after it
    std::vector<std::vector<Cell>> expected;  // the cells a chaser may stand on: now, then after each move
    size_t chasers_per_world = 0;             // expected holds the worlds' chasers one world after another
    int nodes = 0;            // states looked at
    int survived = 0;         // moves the holding way was played out without a catch
    size_t hold_moves = 3;    // moves of a holding way to make before looking again
};

// The shortest way to a goal that is safe in every world: the bomb first,
// then a key, then (level 8) the capture. When none is in reach, the way
// that survives longest and ends nearest the goals, for holding out.
Lookahead look_ahead(const Board& board, const Sighting& seen, const LevelLook& look, const LookaheadLimits& limits);
