// The chasers: enemies that walk towards the hero through free cells.
//
// Part of the play step's level work (source lines 780-819). A chaser at
// (r, c) tries, in this order:
//
// | rule | test                          | move          | enemy 1 then plays        |
// |------|-------------------------------|---------------|---------------------------|
// | 1    | r < hero row, cell below free | down          | "o1l60" + vertical note   |
// | 2    | r > hero row, cell above free | up            | "o1l60" + vertical note   |
// | 3    | c < hero col, right free      | right         | "o1l60" + horizontal note |
// | 4    | c > hero col, left free       | left          | "o1l60" + horizontal note |
// | 5-8  | the same with the hero's face | onto the hero | "o3l60" + the note        |
//
// Free is a blank (level 8 also lets it walk its fog). After a move by rules
// 1 to 4 the turn ends unless enemy_double_step is 1; then the remaining
// rules go on from the new cell. A move onto the hero always ends the turn.
// Enemy 2 plays nothing.
#pragma once

enum class Direction { down, up, right, left };

constexpr float chaser_erase_color = 120;

// Counts the step towards enemy_period; true on the step the chasers move
// (enemy_tick then starts again from 0).
bool chaser_turn_due();

// Tries one rule for enemy 1 or 2: when the hero lies that way and the
// neighbouring cell holds free_code, the enemy moves there (its old cell
// printed as erase_code in erase_color) and, for enemy 1, plays tune_prefix
// followed by the direction's note. True when it moved. Its statements use
// source lines line to line + 3.
bool chaser_rule(int line, int enemy, Direction direction, float free_code, const char* tune_prefix, float erase_code,
                 float erase_color);

// One enemy's turn by rules 1 to 8.
void chaser_moves(int enemy);

// The common chaser turn: when due, enemy 2 (if the level has one), then enemy 1.
void chaser_turn(bool with_enemy2);
