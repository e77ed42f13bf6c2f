// The autopilot's tuned timings and budgets, each with what it was tuned
// against. It plays against the game's clock on a shared machine: most of
// these trade a look's freshness against the time the look costs.
#pragma once

#include <cstddef>

namespace tuning {

// --- The game's pace --------------------------------------------------------

// A planned wait lets one game step pass: one tick, 55 ms.
constexpr int wait_step_ms = 55;
// With nothing planned, the next look comes soon: a third of a step.
constexpr int look_again_ms = 15;
// A screen the autopilot has no use for (a set-up, a picture in between)
// is looked at again after this; short enough to catch the first frame of
// play.
constexpr int idle_look_ms = 20;
// Game steps a hero move costs, in tenths: the key must be seen, typed and
// read, which takes a step or two.
constexpr int hero_pace_tenths = 14;

// --- Reading the window -----------------------------------------------------

// A window being resized or redrawn cannot be read for a moment; this many
// tries this far apart (a second in all) outlast it.
constexpr int read_tries = 50;
constexpr int read_retry_ms = 20;
// Between two looks while waiting for a screen.
constexpr int wait_poll_ms = 30;
// A look after a key, while the hero has not moved yet: often, since the
// next decision waits for it.
constexpr int key_poll_ms = 3;
// A key is never typed while the last one may still wait in the game's
// buffer; on a busy machine a step can take a good part of a second, so
// the wait for the hero to move is long before it is given up.
constexpr double key_wait_s = 2.0;
// After a lost life a key still in the buffer (typed as the hero was
// caught) moves him at the first steps; the first move waits this long.
constexpr int after_lost_life_ms = 250;
// A screenshot taken between the two chasers' moves shows one turn as two
// changes: changes closer than this are one turn (a turn is 5 steps, 275 ms).
constexpr double same_turn_s = 0.15;

// --- Giving up --------------------------------------------------------------

// No level's clock runs this long: a level still shown after it is lost to
// a fault, not to play.
constexpr double level_give_up_s = 400;
// Waiting for a screen of the menu, a level's set-up or the ending.
constexpr double screen_wait_s = 60;
// The title after the ending or the medal screen: their tunes play first.
constexpr double title_wait_s = 180;
// The next level's set-up, where the score with the bonus shows.
constexpr double score_wait_s = 30;

// --- The planner ------------------------------------------------------------

// A look-ahead longer than this may have outlasted a chaser turn: the way
// is planned again from a fresh look when the chasers have moved meanwhile.
constexpr double replan_after_ms = 20;
// The moves looked ahead, and the states looked at: 40000 take some 10 ms,
// well inside a game step on a quiet machine.
constexpr int lookahead_depth = 60;
constexpr int lookahead_nodes = 40000;
// Level 4 plays fourteen worlds: a full look-ahead there outlasts a game
// step, and a decision made on a picture a step old is what its two fast
// chasers punish.
constexpr int generator_lookahead_nodes = 15000;
// A holding way is followed this many moves before looking for a way to a
// goal again. Level 7's lone chaser in its corridors is led away only by a
// way followed for a while: replanned every few moves, the hero flips
// between two cells and pins it in the way up.
constexpr int hold_moves = 3;
constexpr int patrol_hold_moves = 8;
// A key counts as reached only with a way back out that holds this many
// moves; level 4's corner keys lie in pockets some five cells deep.
constexpr int key_way_out_moves = 6;
constexpr int generator_key_way_out_moves = 9;
// Level 8: the enemy caught, the hero must hold out this long after.
constexpr int capture_way_out_moves = 4;
// A standoff lasts until the clock runs out: after this many plans that
// found no goal, the least likely pace is dropped; then all but the
// likeliest; then the phase of the turns as last seen is taken at its word.
constexpr int standoff_plans_fewer_paces = 4;
constexpr int standoff_plans_one_pace = 10;
constexpr int standoff_plans_seen_phase = 16;
// So does a clock near its end, which loses the life anyway.
constexpr int clock_left_one_pace_s = 15;
constexpr int clock_left_seen_phase_s = 8;
// The cheapest way (levels 1-3, 5, 6): after this many waits, or with this
// little time left, the hero dashes for the goal even past a chaser.
constexpr int dash_after_waits = 300;
constexpr int dash_clock_left_s = 10;
// A way to a goal must leave the hero safe this many moves at its end; a
// refuge, for this many; and only the nearest refuges are tried, to bound
// the time of a look.
constexpr int goal_stay_moves = 2;
constexpr int refuge_stay_moves = 12;
constexpr size_t refuge_candidates = 120;

}  // namespace tuning
