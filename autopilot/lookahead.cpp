#include "lookahead.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <queue>
#include <unordered_set>

#include "tuning.h"

namespace {

// Level 8: the double line on its bottom row, from the level's maze.
Cell double_line() {
    const LevelLayout& layout = level_layout(8);
    for (int row = 0; row < maze_inner_rows; ++row)
        for (int col = 0; col < maze_width; ++col)
            if (layout.rows[static_cast<size_t>(row)][static_cast<size_t>(col)] == double_line_code) return {row + 2, col + 1};
    return {};
}

constexpr int max_chasers = 2;
constexpr int max_worlds = 14;  // the paces of level 4: 2 + 3 + 4 + 5 phases

struct Spot {
    int8_t row = 0, col = 0;
    bool operator==(const Spot&) const = default;
    Cell cell() const { return {row, col}; }
};

Spot spot_of(Cell cell) { return {static_cast<int8_t>(cell.row), static_cast<int8_t>(cell.col)}; }

// One guess of when the chasers' turns fall: every rate-th hero move,
// offset by phase.
struct World {
    int rate = 5, phase = 0;
};

struct State {
    Spot hero;
    int depth = 0;
    int parent = -1;
    Move move = Move::none;
    std::array<Spot, max_worlds * max_chasers> chasers{};
    uint16_t captured = 0;  // level 8, per world: the double line has sent the enemy back
};

class Simulation {
public:
    Simulation(const Board& board, const Sighting& seen, const LevelLook& look, const LookaheadLimits& limits)
        : board_(board), seen_(seen), look_(look), limits_(limits) {
        for (int row = 0; row <= 25; ++row)
            for (int col = 0; col <= 40; ++col) base_[row][col] = board.code[row][col];
        base_[seen.hero.row][seen.hero.col] = blank_code;
        for (Cell chaser : seen.chasers) base_[chaser.row][chaser.col] = look.level == 8 ? fog_code : blank_code;
        if (seen.patroller_seen) base_[seen.patroller.row][seen.patroller.col] = blank_code;
        chaser_count_ = std::min<int>(static_cast<int>(seen.chasers.size()), max_chasers);
        std::vector<int> rates = limits.rates.empty() ? std::vector<int>{look.period} : limits.rates;
        for (int rate : rates) {
            if (limits.moves_since_turn >= 0) {
                // The next turn falls rate - moves_since_turn moves from now, give or take one.
                for (int jitter : {-1, 0, 1}) {
                    int phase = ((limits.moves_since_turn + jitter) % rate + rate) % rate;
                    if (std::none_of(worlds_.begin(), worlds_.end(), [&](const World& w) { return w.rate == rate && w.phase == phase; }))
                        worlds_.push_back({rate, phase});
                }
                continue;
            }
            for (int phase = 0; phase < rate && static_cast<int>(worlds_.size()) < max_worlds; ++phase) worlds_.push_back({rate, phase});
        }
        cycle_ = 1;
        for (int rate : rates) cycle_ = std::lcm(cycle_, rate);
        if (look.level == 7 && seen.patroller_seen) plan_patroller();
        if (look.level == 8 && !seen.bombs.empty()) {
            Cell bomb = seen.bombs.front();
            fog_gates_ = {Cell{bomb.row + 1, bomb.col - 1}, Cell{bomb.row + 1, bomb.col + 1}};
        }
    }

    State root() const {
        State state;
        state.hero = spot_of(seen_.hero);
        for (size_t w = 0; w < worlds_.size(); ++w)
            for (int k = 0; k < chaser_count_; ++k) state.chasers[w * max_chasers + k] = spot_of(seen_.chasers[static_cast<size_t>(k)]);
        return state;
    }

    size_t world_count() const { return worlds_.size(); }
    int chaser_count() const { return chaser_count_; }
    int cycle() const { return cycle_; }
    uint16_t all_worlds() const { return static_cast<uint16_t>((1u << worlds_.size()) - 1); }

    // The state after the hero's move (or a step's wait) and the level's
    // work of the step that follows; false when he cannot go there or is
    // caught in some world.
    bool advance(const std::vector<State>& states, const State& from, Move move, State& to) {
        const int index = from.depth + 1;
        to = from;
        to.depth = index;
        to.move = move;
        Cell hero = step(from.hero.cell(), move);
        if (move != Move::none) {
            if (!hero_may_enter(hero, from.captured)) return false;
        }
        to.hero = spot_of(hero);
        if (look_.level == 8) mark_trail(states, from, hero);
        if (!patroller_clear(hero, index)) return false;
        for (size_t w = 0; w < worlds_.size(); ++w) {
            Spot* chasers = &to.chasers[w * max_chasers];
            for (int k = 0; k < chaser_count_; ++k)
                if (chasers[k].cell() == hero) return false;
            if (look_.level == 4 && beside_generator(hero) && !beside_bomb(hero) && generator_traps(w, index)) return false;
            if ((index + worlds_[w].phase) % worlds_[w].rate != 0) continue;
            bool captured = to.captured & (1u << w);
            // Enemy 2 (found later on the screen) moves first.
            for (int k = chaser_count_ - 1; k >= 0; --k) {
                if (turn(chasers, k, hero, captured)) return false;
            }
            if (captured) to.captured = static_cast<uint16_t>(to.captured | (1u << w));
        }
        return true;
    }

    // Level 4: whether the generator cells may be traps in the world after
    // the hero's index-th move and that step's chaser turn.
    bool generator_traps(size_t w, int index) const {
        const World& world = worlds_[w];
        const int turns = (index + world.phase) / world.rate;
        const int every = look_.generator_turns;
        // The state repeats with the change's turn every two changes.
        const int last = std::min(limits_.generator_change_max, limits_.generator_change_min + 2 * every - 1);
        for (int change = limits_.generator_change_min; change <= last; ++change) {
            const int changes = turns >= change ? 1 + (turns - change) / every : 0;
            if (limits_.generator_walls == (changes % 2 == 1)) return true;
        }
        return false;
    }

    uint64_t generator_signature(int index) const {
        uint64_t bits = 0;
        if (look_.level == 4)
            for (size_t w = 0; w < worlds_.size(); ++w) bits = bits << 1 | (generator_traps(w, index) ? 1u : 0u);
        return bits;
    }

    bool beside_bomb(Cell cell) const {
        for (Cell bomb : seen_.bombs)
            if (distance(bomb, cell) == 1) return true;
        return false;
    }

    bool on_key(Cell cell) const {
        for (Cell key : seen_.keys)
            if (key == cell) return true;
        return false;
    }

    // Moves from each cell to the nearest goal for the hero, ignoring the
    // chasers; it guides the search, and the holding way ends as near as it can.
    // Only cells he can stand on are goals: a wall beside the bomb would
    // make the far side of that wall look one move from it.
    void measure_goal_distance(const std::vector<Cell>& goals) {
        auto passable = [&](Cell cell) {
            if (!board_.inside(cell) || (blocks_hero(base_[cell.row][cell.col]) && !is_fog_gate(cell))) return false;
            // The way the hero can really take: never beside a trap. The
            // level 4 generator's neighbours pass whatever it shows now,
            // since it turns to walls every few turns.
            return beside_bomb(cell) || !beside_trap(cell);
        };
        std::vector<Cell> standable;
        std::copy_if(goals.begin(), goals.end(), std::back_inserter(standable), passable);
        goal_distance_ = flood(board_, standable, passable);
    }
    int goal_distance(Cell cell) const { return goal_distance_[cell.row][cell.col]; }

    // Level 8: the enemy's way (through fog and blanks) to the cells beside
    // the double line where it is caught.
    void measure_capture_distance() {
        const Cell line = double_line();
        const std::vector<Cell> beside_line = {step(line, Move::up), step(line, Move::left), step(line, Move::right)};
        capture_distance_ = flood(board_, beside_line, [&](Cell cell) {
            uint8_t code = base_[cell.row][cell.col];
            return code == blank_code || code == fog_code;
        });
    }

    // Summed over the worlds: how far the enemy is from being caught.
    int enemy_from_capture(const State& state) const {
        int sum = 0;
        for (size_t w = 0; w < worlds_.size(); ++w)
            for (int k = 0; k < chaser_count_; ++k) {
                Cell chaser = state.chasers[w * max_chasers + k].cell();
                sum += std::min(capture_distance_[chaser.row][chaser.col], 200);  // out of its reach counts as far
            }
        return sum / std::max<int>(1, static_cast<int>(worlds_.size()));
    }

    // The fewest moves any chaser in any world needs to the goals (by the
    // hero's ways, which are near enough theirs).
    int chasers_to_goal(const State& state) const {
        int nearest = 200;
        for (size_t w = 0; w < worlds_.size(); ++w)
            for (int k = 0; k < chaser_count_; ++k) {
                Cell chaser = state.chasers[w * max_chasers + k].cell();
                nearest = std::min(nearest, std::min(goal_distance_[chaser.row][chaser.col], 200));
            }
        return nearest;
    }

    // The nearest any chaser stands to the hero in any world.
    int closest_chaser(const State& state) const {
        int closest = 99;
        for (size_t w = 0; w < worlds_.size(); ++w)
            for (int k = 0; k < chaser_count_; ++k)
                closest = std::min(closest, distance(state.chasers[w * max_chasers + k].cell(), state.hero.cell()));
        return closest;
    }

private:
    bool is_fog_gate(Cell cell) const { return std::find(fog_gates_.begin(), fog_gates_.end(), cell) != fog_gates_.end(); }

    bool beside_generator(Cell cell) const {
        for (Move move : all_moves)
            if (is_generator(step(cell, move))) return true;
        return false;
    }

    // Traps that stay: the level 4 generator is played per world.
    bool beside_trap(Cell cell) const {
        for (Move move : all_moves) {
            Cell next = step(cell, move);
            if (board_.at(next) == trap_code && !(look_.level == 4 && is_generator(next))) return true;
        }
        return false;
    }

    bool hero_may_enter(Cell cell, uint16_t captured) const {
        if (!board_.inside(cell)) return false;
        uint8_t code = base_[cell.row][cell.col];
        bool gate_open = is_fog_gate(cell) && captured == all_worlds() && !worlds_.empty();
        if (blocks_hero(code) && !gate_open) return false;
        if (look_.level == 5 && code == obstacle_code) return false;
        return beside_bomb(cell) || !beside_trap(cell);
    }

    // Level 7: the patroller walks row 2 on every step, turning at its ends.
    void plan_patroller() {
        int col = seen_.patroller.col;
        int direction = limits_.patroller_direction;
        patroller_cols_.push_back(col);
        for (int i = 0; i <= limits_.max_depth + 2; ++i) {
            if (direction != 0) {
                if (col < patroller_turn_before_col || col > patroller_turn_after_col) direction = -direction;
                col += direction;
            }
            patroller_cols_.push_back(col);
        }
    }

    bool patroller_clear(Cell hero, int index) const {
        if (look_.level != 7 || !seen_.patroller_seen || hero.row != seen_.patroller.row) return true;
        if (limits_.patroller_direction == 0) return false;  // not known which way it walks: keep off its row
        // The hero's moves and the game's steps do not keep exact time: a
        // margin of a step and a cell either way.
        for (int i = std::max(0, index - 2); i <= index + 1 && i < static_cast<int>(patroller_cols_.size()); ++i)
            if (std::abs(patroller_cols_[static_cast<size_t>(i)] - hero.col) <= 1) return false;
        return true;
    }

    // The cells the hero has walked in this way: in level 8 he leaves
    // blanks in the fog, which the enemy prefers.
    void mark_trail(const std::vector<State>& states, const State& from, Cell hero) {
        ++trail_stamp_;
        trail_[hero.row][hero.col] = trail_stamp_;
        for (const State* state = &from; state->parent >= 0; state = &states[static_cast<size_t>(state->parent)])
            trail_[state->hero.row][state->hero.col] = trail_stamp_;
    }

    uint8_t code_for_chaser(const Spot* chasers, int self, Cell cell, Cell hero, bool captured) const {
        if (!board_.inside(cell)) return wall_code;
        if (cell == hero) return hero_code;
        for (int k = 0; k < chaser_count_; ++k)
            if (k != self && chasers[k].cell() == cell) return look_.chaser_glyph;
        if (look_.level == 8) {
            if (trail_[cell.row][cell.col] == trail_stamp_ && !(cell == seen_.hero)) return blank_code;
            if (captured && is_fog_gate(cell)) return fog_code;
        }
        if (cell == seen_.hero) return blank_code;
        return base_[cell.row][cell.col];
    }

    // One chaser's turn by the game's rules; true when it catches the hero.
    // Level 8: the double line first sends the enemy back to its start.
    bool turn(Spot* chasers, int self, Cell hero, bool& captured) const {
        Cell chaser = chasers[self].cell();
        if (look_.level == 8) {
            for (const ChaserRule& rule : chaser_rules) {
                if (rule.wanted(chaser, hero) && board_.at(step(chaser, rule.move)) == double_line_code) {
                    chaser = {level_layout(8).enemy1_row, level_layout(8).enemy1_col};
                    captured = true;
                }
            }
        }
        const bool caught = chaser_turn(chaser, hero, look_, [&](Cell cell) { return code_for_chaser(chasers, self, cell, hero, captured); });
        chasers[self] = spot_of(chaser);
        return caught;
    }

    const Board& board_;
    const Sighting& seen_;
    const LevelLook& look_;
    const LookaheadLimits& limits_;
    std::array<std::array<uint8_t, 41>, 26> base_{};
    std::vector<World> worlds_;
    int chaser_count_ = 0;
    int cycle_ = 1;
    std::vector<int> patroller_cols_;
    std::vector<Cell> fog_gates_;
    Distances trail_{};
    int trail_stamp_ = 0;
    Distances goal_distance_{};
    Distances capture_distance_{};
};

uint64_t key_of(const State& state, const Simulation& sim) {
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&](uint64_t value) {
        hash ^= value;
        hash *= 1099511628211ull;
    };
    mix(static_cast<uint64_t>(state.hero.row) << 8 | static_cast<uint8_t>(state.hero.col));
    mix(static_cast<uint64_t>(state.depth % sim.cycle()));
    mix(state.captured);
    mix(sim.generator_signature(state.depth));
    for (size_t w = 0; w < sim.world_count(); ++w)
        for (int k = 0; k < sim.chaser_count(); ++k) {
            const Spot& chaser = state.chasers[w * max_chasers + static_cast<size_t>(k)];
            mix(static_cast<uint64_t>(chaser.row) << 8 | static_cast<uint8_t>(chaser.col));
        }
    return hash;
}

constexpr Move moves_and_wait[] = {Move::up, Move::down, Move::left, Move::right, Move::none};

// Whether some way of moves survives every world from the state.
bool holds_for(Simulation& sim, const std::vector<State>& states, const State& from, int moves) {
    if (moves == 0) return true;
    for (Move move : moves_and_wait) {
        State next;
        if (sim.advance(states, from, move, next) && holds_for(sim, states, next, moves - 1)) return true;
    }
    return false;
}

}  // namespace

Lookahead look_ahead(const Board& board, const Sighting& seen, const LevelLook& look, const LookaheadLimits& limits) {
    Lookahead result;
    if (!seen.hero_seen) return result;
    Simulation sim(board, seen, look, limits);
    const bool want_capture = look.level == 8 && !seen.chasers.empty() && !seen.bombs.empty() &&
                              std::none_of(seen.chasers.begin(), seen.chasers.end(),
                                           [&](Cell c) { return board.color_at(c) == look.chaser_colors[1]; });
    std::vector<Cell> goals;
    if (want_capture) {
        // The enemy is caught beside the double line with the hero beyond it.
        // Three cells from the line, out of the enemy's reach as it is caught.
        const Cell line = double_line();
        goals = {{line.row, line.col - 3}, {line.row, line.col + 3}};
    } else {
        for (Cell bomb : seen.bombs)
            for (Move move : all_moves) goals.push_back(step(bomb, move));
    }
    sim.measure_goal_distance(goals);
    if (want_capture) sim.measure_capture_distance();
    if (sim.goal_distance(seen.hero) == INT_MAX) {
        // The bomb is out of reach (behind doors, or not shown yet): the keys first.
        goals.insert(goals.end(), seen.keys.begin(), seen.keys.end());
        sim.measure_goal_distance(goals);
    }

    std::vector<State> states;
    states.reserve(static_cast<size_t>(limits.max_nodes) + 64);
    std::unordered_set<uint64_t> visited;
    states.push_back(sim.root());
    visited.insert(key_of(states.front(), sim));
    int found_at = -1;
    Aim found_aim = Aim::bomb;
    // Best first: the moves made plus twice the hero's distance to the goals,
    // so the search heads for them and bends only where the chasers force it.
    using Entry = std::pair<long, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    auto priority = [&](const State& state) {
        int to_goal = std::min(sim.goal_distance(state.hero.cell()), 500);
        return static_cast<long>(state.depth + 2 * to_goal) * 64 - state.depth;
    };
    open.push({priority(states.front()), 0});
    while (!open.empty() && found_at < 0 && static_cast<int>(states.size()) < limits.max_nodes) {
        const int next = open.top().second;
        open.pop();
        const State from = states[static_cast<size_t>(next)];
        if (from.depth >= limits.max_depth) continue;
        for (Move move : moves_and_wait) {
            State to;
            if (!sim.advance(states, from, move, to)) continue;
            if (!visited.insert(key_of(to, sim)).second) continue;
            to.parent = next;
            states.push_back(to);
            const int index = static_cast<int>(states.size()) - 1;
            Cell hero = to.hero.cell();
            if (sim.beside_bomb(hero) && !want_capture) {
                found_at = index;
                found_aim = Aim::bomb;
                break;
            }
            // A key counts only with a way back out that holds.
            const int way_out = look.level == 4 ? tuning::generator_key_way_out_moves : tuning::key_way_out_moves;
            if (sim.on_key(hero) && holds_for(sim, states, to, way_out)) {
                found_at = index;
                found_aim = Aim::key;
                break;
            }
            if (want_capture && to.captured == sim.all_worlds() && holds_for(sim, states, to, tuning::capture_way_out_moves)) {
                found_at = index;
                found_aim = Aim::capture;
                break;
            }
            open.push({priority(to), index});
        }
    }
    result.nodes = static_cast<int>(states.size());
    int end = found_at;
    if (end < 0) {
        // Hold out: the deepest state, then the one that wins the race to
        // the goals by most (a chaser's way there in hero moves, less the
        // hero's own), so that waiting turns into luring the chasers away.
        const int moves_per_cell = std::max(1, (limits.rates.empty() ? look.period : *std::min_element(limits.rates.begin(), limits.rates.end())) /
                                                   (look.double_step ? 2 : 1));
        long best = LONG_MIN;
        for (size_t i = 1; i < states.size(); ++i) {
            const State& state = states[i];
            const int to_goal = std::min(sim.goal_distance(state.hero.cell()), 200);
            const int lead = std::clamp(sim.chasers_to_goal(state) * moves_per_cell - to_goal, -200, 200);
            long score = static_cast<long>(std::min(state.depth, 24)) * 10000 + lead * 20 - to_goal + std::min(sim.closest_chaser(state), 8) * 6;
            // Level 8: the enemy has to be walked to the double line first.
            if (want_capture) score = static_cast<long>(std::min(state.depth, 24)) * 10000 - sim.enemy_from_capture(state) * 50 - to_goal;
            if (score > best) {
                best = score;
                end = static_cast<int>(i);
            }
        }
        if (end < 0) return result;
        result.survived = states[static_cast<size_t>(end)].depth;
    }
    result.found = found_at >= 0;
    result.chasers_per_world = static_cast<size_t>(sim.chaser_count());
    result.aim = found_aim;
    for (int i = end; i > 0; i = states[static_cast<size_t>(i)].parent) {
        const State& state = states[static_cast<size_t>(i)];
        result.moves.push_back(state.move);
        result.hero_path.push_back(state.hero.cell());
        std::vector<Cell> cells;
        for (size_t w = 0; w < sim.world_count(); ++w)
            for (int k = 0; k < sim.chaser_count(); ++k) cells.push_back(state.chasers[w * max_chasers + static_cast<size_t>(k)].cell());
        result.expected.push_back(cells);
    }
    result.expected.push_back(seen.chasers);  // before the first move, reversed to the front below
    std::reverse(result.moves.begin(), result.moves.end());
    std::reverse(result.hero_path.begin(), result.hero_path.end());
    std::reverse(result.expected.begin(), result.expected.end());
    return result;
}
