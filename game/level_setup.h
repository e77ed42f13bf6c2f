// The set-up of a level: draws the maze of game.level afresh, puts keys,
// doors, bomb, hero and first enemy on it, sets the level's members and
// starts its clock. Runs when a game starts, after a neutralised bomb and
// after a lost life; nothing of an earlier attempt survives but the score,
// the lives and the options.
#pragma once

#include "game/screens.h"

// Set-up of game.level (1 to 9); hands over to the play loop.
Screen start_level();
