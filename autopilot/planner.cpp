#include "planner.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <queue>

#include "runtime/core/timer.h"
#include "tuning.h"

namespace {

bool beside_bomb(const Sighting& seen, Cell cell) {
    for (Cell bomb : seen.bombs)
        if (distance(bomb, cell) == 1) return true;
    return false;
}

bool beside_trap(const Board& board, const LevelLook& look, Cell cell) {
    for (Move move : all_moves) {
        Cell next = step(cell, move);
        // Level 4's generator cells turn from wall to trap and back without warning.
        if (board.at(next) == trap_code || (look.level == 4 && is_generator(next))) return true;
    }
    return false;
}

bool on_chaser(const Sighting& seen, Cell cell) {
    for (Cell chaser : seen.chasers)
        if (chaser == cell) return true;
    return seen.patroller_seen && seen.patroller == cell;
}

// How close a chaser may come: one turn takes it a cell (two when it takes
// double steps) and then onto a hero beside it.
int keep_off(const LevelLook& look) { return look.double_step ? 2 : 1; }

int nearest_chaser(const Sighting& seen, Cell cell) {
    int nearest = INT_MAX;
    for (Cell chaser : seen.chasers) nearest = std::min(nearest, distance(chaser, cell));
    return nearest;
}

// Level 5: the drop falls a row a step, and after the fortieth it starts
// again above the hero on his way up to the bomb: its column below it, and
// the cells it may be turned aside into, are never entered.
bool under_drop(const Sighting& seen, Cell cell) {
    for (Cell drop : seen.chasers)
        if ((cell.col == drop.col && cell.row > drop.row) || (cell.row - drop.row == 1 && std::abs(cell.col - drop.col) == 1)) return true;
    return false;
}

// Extra cost of standing on a cell, from what may hit it soon.
int danger(const Board& board, const Sighting& seen, const LevelLook& look, Cell cell) {
    int cost = 0;
    if (look.level != 5) {
        for (Cell chaser : seen.chasers) {
            int d = distance(chaser, cell) - keep_off(look);
            if (d <= 0) cost += 200;
            else if (d == 1) cost += 30;
            else if (d == 2) cost += 8;
        }
    } else {
        // The drop falls straight down its column; its cells below are where it will be.
        for (Cell drop : seen.chasers)
            if (cell.col == drop.col && cell.row > drop.row && cell.row - drop.row <= 4) cost += 80;
    }
    if (look.level == 6) {
        // The crawler eats the walls beside its trail; a wall it may eat next
        // turns the cells beside it deadly.
        for (Move move : all_moves) {
            Cell wall_cell = step(cell, move);
            if (board.at(wall_cell) != wall_code || !board.inside(wall_cell)) continue;
            for (Move further : all_moves)
                if (board.at(step(wall_cell, further)) == trap_code) cost += 25;
        }
    }
    if (look.level == 5 && board.at(cell) == drop_code) cost += 30;  // stepping on a landed drop wastes it
    return cost;
}

using Field = Distances;

// Steps the nearest chaser needs at least to reach each cell: a breadth-first
// walk over the cells chasers move into (blanks, the hero, fog in level 8),
// turned into game steps by its pace. Chasers only ever go straight for the
// hero, so they are never faster than this.
Field chaser_arrival(const Board& board, const Sighting& seen, const LevelLook& look) {
    Field cells = flood(board, seen.chasers, [&](Cell cell) {
        const uint8_t code = board.at(cell);
        return code == blank_code || code == hero_code || code == drop_code;
    });
    const int per_turn = look.double_step ? 2 : 1;
    for (auto& row : cells)
        for (int& value : row)
            if (value != INT_MAX) value = (value - 1) / per_turn * look.period;
    return cells;
}

struct Search {
    Field cost;
    Field moves;  // moves along the cheapest path
    std::array<std::array<Cell, 32>, 24> from;
};

// Cheapest paths from the hero over cells he may stand on; a bold search
// passes near the chasers too, at the price danger() puts on those cells.
Search search(const Board& board, const Sighting& seen, const LevelLook& look, bool bold = false) {
    Search result;
    for (auto& row : result.cost) row.fill(INT_MAX);
    result.moves[seen.hero.row][seen.hero.col] = 0;
    using Entry = std::pair<int, int>;  // cost, row * 32 + col
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    result.cost[seen.hero.row][seen.hero.col] = 0;
    open.push({0, seen.hero.row * 32 + seen.hero.col});
    while (!open.empty()) {
        auto [cost, key] = open.top();
        open.pop();
        Cell here{key / 32, key % 32};
        if (cost != result.cost[here.row][here.col]) continue;
        for (Move move : all_moves) {
            Cell next = step(here, move);
            if (!board.inside(next) || !safe_cell(board, seen, look, next)) continue;
            if (look.level != 5 && !bold && nearest_chaser(seen, next) <= keep_off(look)) continue;
            if (look.level == 5 && under_drop(seen, next)) continue;
            int moves = result.moves[here.row][here.col] + 1;
            int next_cost = cost + 1 + danger(board, seen, look, next);
            if (next_cost < result.cost[next.row][next.col]) {
                result.cost[next.row][next.col] = next_cost;
                result.moves[next.row][next.col] = moves;
                result.from[next.row][next.col] = here;
                open.push({next_cost, next.row * 32 + next.col});
            }
        }
    }
    return result;
}

Move first_move_towards(const Search& found, Cell hero, Cell goal) {
    Cell cell = goal;
    while (!(found.from[cell.row][cell.col] == hero)) cell = found.from[cell.row][cell.col];
    for (Move move : all_moves)
        if (step(hero, move) == cell) return move;
    return Move::none;
}

// The cheapest reachable goal, or none.
bool route(const Search& found, Cell hero, const std::vector<Cell>& goals, Move& move) {
    int best = INT_MAX;
    Cell target;
    for (Cell goal : goals) {
        int cost = found.cost[goal.row][goal.col];
        if (cost < best) {
            best = cost;
            target = goal;
        }
    }
    if (best == INT_MAX) return false;
    move = target == hero ? Move::none : first_move_towards(found, hero, target);
    return true;
}

// With no way to a goal: the reachable cell where the hero stays longest
// ahead of the chasers, and the first move towards it.
bool best_refuge(const Board& board, const Sighting& seen, const LevelLook& look, const Search& found, Move& move) {
    if (seen.chasers.empty()) return false;
    const Field arrival = chaser_arrival(board, seen, look);
    int best = INT_MIN;
    Cell target = seen.hero;
    for (int row = 1; row <= 23; ++row)
        for (int col = 1; col <= 31; ++col) {
            if (found.cost[row][col] == INT_MAX) continue;
            int reach = arrival[row][col] == INT_MAX ? 1000 : arrival[row][col];
            int margin = reach - found.moves[row][col] * tuning::hero_pace_tenths / 10;
            int exits = 0;  // open cells around: dead ends trap the hero later
            for (Move m : all_moves) exits += safe_cell(board, seen, look, step(Cell{row, col}, m));
            int score = std::min(margin, 60) * 4 + exits * 3 - found.moves[row][col];
            if (score > best) {
                best = score;
                target = Cell{row, col};
            }
        }
    if (target == seen.hero) return false;
    move = first_move_towards(found, seen.hero, target);
    return true;
}

// The path from the hero to a cell found by the search, hero excluded.
std::vector<Cell> path_to(const Search& found, Cell hero, Cell goal) {
    std::vector<Cell> path;
    for (Cell cell = goal; !(cell == hero); cell = found.from[cell.row][cell.col]) path.push_back(cell);
    return {path.rbegin(), path.rend()};
}

// The cheapest goal whose path the hero survives.
bool safe_route(const Board& board, const Sighting& seen, const LevelLook& look, const Search& found, std::vector<Cell> goals,
                int stay_moves, Move& move) {
    std::sort(goals.begin(), goals.end(), [&](Cell a, Cell b) { return found.cost[a.row][a.col] < found.cost[b.row][b.col]; });
    for (Cell goal : goals) {
        if (found.cost[goal.row][goal.col] == INT_MAX) continue;
        if (goal == seen.hero) {
            if (!survives(board, seen, look, {}, stay_moves)) continue;
            move = Move::none;
            return true;
        }
        std::vector<Cell> path = path_to(found, seen.hero, goal);
        if (!survives(board, seen, look, path, stay_moves)) continue;
        move = first_move_towards(found, seen.hero, goal);
        return true;
    }
    return false;
}

// Somewhere to stand that no chaser reaches for a while: the nearest such
// cell, preferring ones with more ways out.
bool refuge(const Board& board, const Sighting& seen, const LevelLook& look, const Search& found, Move& move) {
    std::vector<Cell> cells;
    for (int row = 1; row <= 23; ++row)
        for (int col = 1; col <= 31; ++col)
            if (found.cost[row][col] != INT_MAX) cells.push_back({row, col});
    std::sort(cells.begin(), cells.end(), [&](Cell a, Cell b) { return found.moves[a.row][a.col] < found.moves[b.row][b.col]; });
    if (cells.size() > tuning::refuge_candidates) cells.resize(tuning::refuge_candidates);
    return safe_route(board, seen, look, found, cells, tuning::refuge_stay_moves, move);
}

std::vector<Cell> cells_beside(const Board& board, const std::vector<Cell>& centres) {
    std::vector<Cell> out;
    for (Cell centre : centres)
        for (Move move : all_moves)
            if (board.inside(step(centre, move))) out.push_back(step(centre, move));
    return out;
}

// Level 5: forty drops must land beside the hero on the bottom row. The
// hero waits beside the column a drop will land in, and never under it.
Decision catch_drops(const Board& board, const Sighting& seen) {
    Cell hero = seen.hero;
    if (hero.row != 22) return {};
    auto free_on_row = [&](int col) {
        Cell cell{22, col};
        return board.inside(cell) && !blocks_hero(board.at(cell)) && board.at(cell) != '.';
    };
    auto side_step = [&](int away_from) -> Decision {
        // Prefer the side towards the middle of the row, which has room on both sides.
        int first = hero.col < 16 ? 1 : -1;
        for (int side : {first, -first}) {
            int col = hero.col + side;
            if (col != away_from && free_on_row(col)) return {side > 0 ? Move::right : Move::left, "step out from under the drop"};
        }
        return {Move::none, "no room beside the drop"};
    };
    if (seen.chasers.empty()) return {Move::none, "wait for the next drop"};
    Cell drop = *std::max_element(seen.chasers.begin(), seen.chasers.end(), [](Cell a, Cell b) { return a.row < b.row; });
    bool straight = true;
    for (int row = drop.row + 1; row <= 22; ++row)
        if (board.code[row][drop.col] == obstacle_code) straight = false;
    if (drop.col == hero.col) return side_step(drop.col);
    // A drop that landed beside nobody lies on the row as "." and is taken
    // by standing beside it: while the falling drop is high, the hero
    // fetches the nearest and is back in time (a move takes a step or two,
    // a drop falls a row a step).
    if (!seen.landed_drops.empty()) {
        Cell landed = *std::min_element(seen.landed_drops.begin(), seen.landed_drops.end(),
                                        [&](Cell a, Cell b) { return std::abs(a.col - hero.col) < std::abs(b.col - hero.col); });
        const int beside = landed.col + (hero.col < landed.col ? -1 : 1);
        const int trip = std::abs(beside - hero.col) + std::abs(beside - drop.col);
        if (beside != hero.col && trip * 2 + 2 < 22 - drop.row) {
            Move towards = hero.col < beside ? Move::right : Move::left;
            if (free_on_row(step(hero, towards).col)) return {towards, "fetch a landed drop"};
        }
    }
    const int gap = std::abs(drop.col - hero.col);
    if (!straight) {
        // It will be turned aside: keep two columns away until it falls straight.
        if (gap > 2) return {hero.col < drop.col ? Move::right : Move::left, "follow the drop"};
        return {Move::none, "watch the turning drop"};
    }
    if (gap == 1) return {Move::none, "wait beside the landing cell"};
    Move towards = hero.col < drop.col ? Move::right : Move::left;
    // One cell at a time, never into the landing column itself.
    if (step(hero, towards).col == drop.col) return {Move::none, "wait beside the landing cell"};
    return {towards, "go beside the landing cell"};
}

// Whether the chasers stand as in one of the worlds, each before or after
// the turn of the step (a screenshot may fall between their two moves):
// the cells of each world follow one another, per_world of them.
bool matches(const std::vector<Cell>& seen, const std::vector<Cell>& before, const std::vector<Cell>& after, size_t per_world) {
    if (seen.size() != per_world || per_world == 0) return seen.size() == per_world;
    auto in_world = [&](const std::vector<Cell>& cells, size_t first, Cell cell) {
        if (cells.size() < first + per_world) return false;
        auto begin = cells.begin() + static_cast<std::ptrdiff_t>(first);
        return std::find(begin, begin + static_cast<std::ptrdiff_t>(per_world), cell) != begin + static_cast<std::ptrdiff_t>(per_world);
    };
    for (size_t first = 0; first + per_world <= after.size(); first += per_world) {
        // Before the first move the look-ahead knows only the one picture.
        const size_t first_before = before.size() == per_world ? 0 : first;
        if (std::all_of(seen.begin(), seen.end(), [&](Cell cell) { return in_world(after, first, cell) || in_world(before, first_before, cell); }))
            return true;
    }
    return false;
}

// The next move of the way being followed, while the screen shows what the
// look-ahead expected: the hero where it put him, every chaser where one
// may be, the same keys and bombs. A way that only holds out is followed
// for a few moves, then looked at afresh for a way to a goal.
bool follow_plan(const Sighting& seen, PilotMemory& memory, Decision& next) {
    const Lookahead& plan = memory.plan;
    const size_t done = memory.plan_done;
    if (done >= plan.moves.size() || (!plan.found && done >= plan.hold_moves)) return false;
    if (seen.keys.size() != memory.plan_keys || seen.bombs.size() != memory.plan_bombs) return false;
    if (done > 0) {
        if (!(seen.hero == plan.hero_path[done - 1])) return false;
        // Chasers that match different worlds each are in none, and the
        // way may not hold.
        if (!matches(seen.chasers, plan.expected[done - 1], plan.expected[done], plan.chasers_per_world)) return false;
    }
    next.move = plan.moves[done];
    next.wait_step = next.move == Move::none;
    next.reason = plan.found ? (plan.aim == Aim::bomb ? "to the bomb" : plan.aim == Aim::key ? "to a key" : "lure to the double line")
                             : "hold out (" + std::to_string(plan.survived) + " moves)";
    ++memory.plan_done;
    return true;
}

// Levels whose chasers leave no way through without playing their turns
// ahead: two double-stepping chasers (4), the patroller's row (7), the
// enemy to be walked to the double line (8), the guard on the bomb (9). In
// levels 1 and 2 the cheapest way, checked against the chasers' rules, is
// quicker to find and has proved enough.
bool uses_lookahead(int level) { return level == 4 || level == 7 || level == 8 || level == 9; }

// The hero moves per chaser turn the look-ahead allows for. A move takes
// one game step or two (its key waits for the next tick, its picture for
// the next frame). Level 4's two double-stepping chasers punish a turn that
// comes early, so there a turn every two moves is played too.
std::vector<int> paces(const LevelLook& look) {
    std::vector<int> rates = {look.period - 2, look.period - 1, look.period};
    if (look.level == 4) rates.insert(rates.begin(), look.period - 3);
    return rates;
}

// Level 4: the generator cells alternate between wall and trap every ten
// chaser turns (three on Hard). A change seen drops the way followed, so
// that a dash begins at once when the walls come.
void note_generator(const Board& board, PilotMemory& memory) {
    const bool walls = board.at(Cell{generator_cells[0].row, generator_cells[0].col}) == wall_code;
    if (memory.generator_seen && walls != memory.generator_walls) {
        memory.generator_change_turn = memory.chaser_turns;
        memory.generator_change_clock = memory.clock;
        memory.plan = {};
    }
    memory.generator_seen = true;
    memory.generator_walls = walls;
}

// The chaser turns to the generator's next change. The turns counted since
// the last change may miss a turn in which no chaser could move, or count
// the change's own turn when the screen showed the generator before the
// chasers; the clock bounds them from above, since a step lasts a tick at
// least and a chaser turn comes every period steps.
void predict_generator(const PilotMemory& memory, const LevelLook& look, LookaheadLimits& limits) {
    limits.generator_walls = memory.generator_walls;
    if (memory.generator_change_turn < 0 || !memory.generator_walls) {
        // Not seen to change yet: walls may end at the next turn. Traps last
        // until the walls are seen: a way timed to their end would count
        // its waits as steps, and a wait on a busy machine is shorter.
        limits.generator_change_min = memory.generator_walls ? 1 : 1 << 20;
        return;
    }
    const int counted = memory.chaser_turns - memory.generator_change_turn;
    const int by_clock = static_cast<int>((memory.clock - memory.generator_change_clock) * ticks_per_second / look.period) + 1;
    const int fewest = std::max(0, counted - 1), most = std::max(counted, by_clock);
    limits.generator_change_min = std::max(1, look.generator_turns - most);
    limits.generator_change_max = std::max(limits.generator_change_min, look.generator_turns - fewest);
}

}  // namespace

bool chaser_turn(std::array<std::array<uint8_t, 41>, 26>& codes, Cell& chaser, Cell hero, const LevelLook& look) {
    const Cell from = chaser;
    const bool caught = chaser_turn(chaser, hero, look, [&](Cell cell) -> uint8_t {
        return cell.row >= 1 && cell.row <= 25 && cell.col >= 1 && cell.col <= 40 ? codes[cell.row][cell.col] : wall_code;
    });
    if (!(chaser == from)) {
        codes[from.row][from.col] = blank_code;
        codes[chaser.row][chaser.col] = look.chaser_glyph;
    }
    return caught;
}

// Whether the hero can walk the path and then stay put for a while without
// a chaser catching him, whichever step the chasers' turns fall on. Turns
// come every few hero moves; the count is on the safe side of the pace the
// autopilot keeps.
bool survives(const Board& board, const Sighting& seen, const LevelLook& look, const std::vector<Cell>& path, int stay_moves) {
    if (seen.chasers.empty() || look.level == 5) return true;
    const int turn_every = std::max(2, look.period - 1);  // one move short of a step per move
    for (int phase = 0; phase < turn_every; ++phase) {
        auto codes = board.code;
        std::vector<Cell> chasers = seen.chasers;
        Cell hero = seen.hero;
        const int total = static_cast<int>(path.size()) + stay_moves;
        for (int i = 0; i <= total; ++i) {
            if (i > 0 && i <= static_cast<int>(path.size())) {
                codes[hero.row][hero.col] = blank_code;
                hero = path[static_cast<size_t>(i - 1)];
                for (Cell chaser : chasers)
                    if (chaser == hero) return false;
                codes[hero.row][hero.col] = hero_code;
            }
            if ((i + phase) % turn_every != 0) continue;
            for (auto it = chasers.rbegin(); it != chasers.rend(); ++it)
                if (chaser_turn(codes, *it, hero, look)) return false;
        }
    }
    return true;
}

bool safe_cell(const Board& board, const Sighting& seen, const LevelLook& look, Cell cell) {
    if (!board.inside(cell) || blocks_hero(board.at(cell)) || on_chaser(seen, cell)) return false;
    if (look.level == 5 && board.at(cell) == obstacle_code) return false;
    return beside_bomb(seen, cell) || !beside_trap(board, look, cell);
}

namespace {

Decision look_ahead_move(const Board& board, const Sighting& seen, const LevelLook& look, PilotMemory& memory) {
    if (Decision next; follow_plan(seen, memory, next)) return next;
    memory.plan = {};
    LookaheadLimits limits;
    limits.rates = memory.rates;
    // A standoff (chasers stuck behind a wall, no safe way on) lasts
    // until the clock runs out: the longer it lasts, the fewer paces are
    // allowed for, down to the likeliest.
    // At last the phase of the turns as last seen is taken at its word.
    // So does a clock near its end, which loses the life anyway.
    if (memory.waited_plans > tuning::standoff_plans_fewer_paces && limits.rates.size() > 2) limits.rates.erase(limits.rates.begin());
    if (memory.waited_plans > tuning::standoff_plans_one_pace || memory.seconds_left < tuning::clock_left_one_pace_s) limits.rates = {look.period};
    if (memory.waited_plans > tuning::standoff_plans_seen_phase || memory.seconds_left < tuning::clock_left_seen_phase_s)
        limits.moves_since_turn = memory.moves_since_turn;
    limits.patroller_direction = memory.patroller_direction;
    if (look.level == 4) predict_generator(memory, look, limits);
    if (look.level == 4) limits.max_nodes = tuning::generator_lookahead_nodes;
    Lookahead ahead = look_ahead(board, seen, look, limits);
    if (ahead.moves.empty() && limits.rates.size() > 1) {
        // Caught in some world whatever he does: play the likeliest pace only.
        limits.rates = {look.period};
        ahead = look_ahead(board, seen, look, limits);
    }
    if (ahead.moves.empty() && limits.moves_since_turn < 0 && memory.moves_since_turn >= 0) {
        // Still caught: the phase of the turns as last seen is all there is.
        limits.moves_since_turn = memory.moves_since_turn;
        ahead = look_ahead(board, seen, look, limits);
    }
    memory.looked_ahead_nodes = ahead.nodes;
    if (!ahead.moves.empty()) {
        memory.plan = ahead;
        memory.plan.hold_moves = look.level == 7 ? tuning::patrol_hold_moves : tuning::hold_moves;
        memory.plan_done = 0;
        memory.plan_keys = seen.keys.size();
        memory.plan_bombs = seen.bombs.size();
        if (ahead.found) memory.waited_plans = 0;
        else ++memory.waited_plans;
        Decision next;
        follow_plan(seen, memory, next);
        return next;
    }
    // Caught in every world and every phase: waiting is the surest loss,
    // so he steps to the safe cell farthest from the nearest chaser.
    Decision flee{Move::none, "cornered"};
    int farthest = nearest_chaser(seen, seen.hero);
    for (Move move : all_moves) {
        const Cell cell = step(seen.hero, move);
        if (!safe_cell(board, seen, look, cell) || nearest_chaser(seen, cell) < farthest) continue;
        farthest = nearest_chaser(seen, cell);
        flee = {move, "cornered, flee"};
    }
    return flee;
}

Decision cheapest_way_move(const Board& board, const Sighting& seen, const LevelLook& look, PilotMemory& memory) {
    Search found = search(board, seen, look);
    Move move;
    if (!seen.bombs.empty() && safe_route(board, seen, look, found, cells_beside(board, seen.bombs), tuning::goal_stay_moves, move)) {
        memory.waited_plans = 0;
        return {move, "to the bomb"};
    }
    if (look.level == 5 && seen.bombs.empty()) return catch_drops(board, seen);
    if (look.level == 5 && under_drop(seen, seen.hero)) {
        for (Move side : {Move::left, Move::right, Move::down})
            if (safe_cell(board, seen, look, step(seen.hero, side)) && !under_drop(seen, step(seen.hero, side))) return {side, "out from under the drop"};
    }
    if (!seen.keys.empty() && safe_route(board, seen, look, found, seen.keys, tuning::goal_stay_moves, move)) {
        memory.waited_plans = 0;
        return {move, "to a key"};
    }
    // Waiting too long loses to the clock: after a while, or when the clock
    // nears its end, the hero takes the cheapest way even if a chaser might
    // meet him on it.
    if (memory.waited_plans > tuning::dash_after_waits || memory.seconds_left < tuning::dash_clock_left_s) {
        const Search bold = search(board, seen, look, true);
        if (!seen.bombs.empty() && route(bold, seen.hero, cells_beside(board, seen.bombs), move) && move != Move::none) return {move, "dash to the bomb"};
        if (!seen.keys.empty() && route(bold, seen.hero, seen.keys, move) && move != Move::none) return {move, "dash to a key"};
    }
    if (refuge(board, seen, look, found, move)) {
        if (move == Move::none) ++memory.waited_plans;
        return {move, move == Move::none ? "stay out of reach" : "keep away"};
    }
    if (best_refuge(board, seen, look, found, move)) return {move, "run"};
    return {Move::none, "nothing to do"};
}

}  // namespace

Decision plan_move(const Board& board, const Sighting& seen, const LevelLook& look, PilotMemory& memory) {
    if (!seen.hero_seen) return {Move::none, "no hero"};
    if (seen.patroller_seen) {
        if (memory.patroller_col != 0 && seen.patroller.col != memory.patroller_col)
            memory.patroller_direction = seen.patroller.col > memory.patroller_col ? 1 : -1;
        memory.patroller_col = seen.patroller.col;
    }
    if (memory.rates.empty()) memory.rates = paces(look);
    if (look.level == 4) note_generator(board, memory);
    // Beside the bomb the level is won at the next step, and a key typed
    // now would wait in the buffer and move the hero in the next level.
    if (!seen.bombs.empty()) memory.bombs = seen.bombs;
    for (Cell bomb : memory.bombs)
        if (distance(bomb, seen.hero) == 1) return {Move::none, "beside the bomb"};
    if (look.level == 4 && seen.chasers.empty()) {
        // The set-up places both chasers without drawing them; they show at
        // their first move, by which time a hero heading for the corner key
        // beside the second one's cell is cornered.
        const LevelLayout& layout = level_layout(4);
        Sighting with_chasers = seen;
        with_chasers.chasers = {{layout.enemy1_row, layout.enemy1_col}, {layout.enemy2_row, layout.enemy2_col}};
        return look_ahead_move(board, with_chasers, look, memory);
    }
    return uses_lookahead(look.level) ? look_ahead_move(board, seen, look, memory) : cheapest_way_move(board, seen, look, memory);
}
