// What the autopilot sees of a level: the 40 x 25 character codes and
// colours read back from a screenshot, and the things on it that matter for
// a move. Plain data, so the planner can be tested on drawn pictures.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

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
    uint8_t at(Cell cell) const { return inside(cell) ? code[cell.row][cell.col] : 219; }
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

LevelLook level_look(int level, bool hard);

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
