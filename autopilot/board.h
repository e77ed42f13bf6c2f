// What the autopilot sees of a level: the 40 x 25 character codes and
// colours read back from a screenshot, and the things on it that matter for
// a move. Plain data, so the planner can be tested on drawn pictures.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "game/level_data.h"

struct Cell {
    int row = 0, col = 0;
    bool operator==(const Cell&) const = default;
};

inline int distance(Cell a, Cell b) { return (a.row > b.row ? a.row - b.row : b.row - a.row) + (a.col > b.col ? a.col - b.col : b.col - a.col); }

struct Board {
    std::array<std::array<uint8_t, 41>, 26> code{};   // [row 1-25][col 1-40]
    std::array<std::array<uint8_t, 41>, 26> color{};  // palette index of the glyph; 0 for a blank

    Board() {
        for (auto& row : code) row.fill(32);
    }
    bool inside(Cell cell) const { return cell.row >= 1 && cell.row <= 23 && cell.col >= 1 && cell.col <= 31; }
    uint8_t at(Cell cell) const { return inside(cell) ? code[cell.row][cell.col] : wall_code; }
    uint8_t color_at(Cell cell) const { return inside(cell) ? color[cell.row][cell.col] : 0; }
};

enum class Move { none, up, down, left, right };

inline Cell step(Cell cell, Move move) {
    switch (move) {
    case Move::up: return {cell.row - 1, cell.col};
    case Move::down: return {cell.row + 1, cell.col};
    case Move::left: return {cell.row, cell.col - 1};
    case Move::right: return {cell.row, cell.col + 1};
    case Move::none: break;
    }
    return cell;
}

constexpr Move all_moves[] = {Move::up, Move::down, Move::left, Move::right};

inline bool blocks_hero(uint8_t code) { return code >= lowest_blocking_code || code == door_code; }

// Level 4: the cells of the generator, walls or traps by turns.
inline bool is_generator(Cell cell) {
    for (MazeCell g : generator_cells)
        if (g.row == cell.row && g.col == cell.col) return true;
    return false;
}

// Steps from the nearest of the starts to every maze cell over the cells
// that pass; INT_MAX where none leads.
using Distances = std::array<std::array<int, 32>, 24>;  // [row][col] over the maze

template <typename Passable>
Distances flood(const Board& board, const std::vector<Cell>& starts, const Passable& passable) {
    Distances steps;
    for (auto& row : steps) row.fill(INT_MAX);
    std::vector<Cell> queue;
    for (Cell start : starts) {
        if (!board.inside(start)) continue;
        steps[start.row][start.col] = 0;
        queue.push_back(start);
    }
    for (size_t next = 0; next < queue.size(); ++next) {
        Cell here = queue[next];
        for (Move move : all_moves) {
            Cell cell = step(here, move);
            if (!board.inside(cell) || steps[cell.row][cell.col] != INT_MAX || !passable(cell)) continue;
            steps[cell.row][cell.col] = steps[here.row][here.col] + 1;
            queue.push_back(cell);
        }
    }
    return steps;
}

// A chaser's moves towards the hero, in the order the game tries them:
// down, up, right, left, each only when the hero lies that way.
struct ChaserRule {
    Move move;
    bool (*wanted)(Cell chaser, Cell hero);
};

inline constexpr ChaserRule chaser_rules[] = {
    {Move::down, [](Cell c, Cell h) { return c.row < h.row; }},
    {Move::up, [](Cell c, Cell h) { return c.row > h.row; }},
    {Move::right, [](Cell c, Cell h) { return c.col < h.col; }},
    {Move::left, [](Cell c, Cell h) { return c.col > h.col; }},
};

// The palette index the read-back reports for a colour: the first index with
// the same RGB, since a screenshot cannot tell equal colours apart.
int shown_color(int palette_index);

// How a level's characters are told apart on the screen.
struct LevelLook {
    int level = 0;
    uint8_t chaser_glyph = 0;
    int chaser_colors[2] = {-1, -1};  // palette indexes as shown; -1: unused
    bool double_step = false;         // chasers may take two cells per turn
    int period = 5;                   // steps between two chaser turns
    int generator_turns = 10;         // level 4: chaser turns between two changes of the generator
};

// A level's look and pace from its own data: the first enemy's glyph and
// colour (level 5: the drop it lets fall), its period and double steps on
// the difficulty played.
LevelLook level_look(int level, bool hard);

// One chaser turn by the game's rules, for the planner and the look-ahead
// alike: towards the hero into cells that read blank (level 8: then fog),
// trying down, up, right, left, one cell (double-stepping: one per rule);
// then onto the hero if he is beside it. code_at(cell) is what the chaser
// finds there. True when it catches him.
template <typename CodeAt>
bool chaser_turn(Cell& chaser, Cell hero, const LevelLook& look, const CodeAt& code_at) {
    auto walk = [&](uint8_t free_code) {
        for (const ChaserRule& rule : chaser_rules) {
            const Cell next = step(chaser, rule.move);
            if (!rule.wanted(chaser, hero) || code_at(next) != free_code) continue;
            chaser = next;
            if (!look.double_step) return true;
        }
        return false;
    };
    if (walk(blank_code) || (look.level == 8 && walk(fog_code))) return false;
    for (const ChaserRule& rule : chaser_rules)
        if (rule.wanted(chaser, hero) && step(chaser, rule.move) == hero) return true;
    return false;
}

// Everything found on the board.
struct Sighting {
    bool hero_seen = false;
    Cell hero;
    std::vector<Cell> chasers;  // level 5: the falling drop; level 8: the fog enemy
    bool patroller_seen = false;
    Cell patroller;             // level 7
    std::vector<Cell> bombs;
    std::vector<Cell> keys;
    std::vector<Cell> landed_drops;  // level 5: drops lying on row 22
};

Sighting look_at(const Board& board, const LevelLook& look);
