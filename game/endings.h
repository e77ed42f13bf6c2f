// The two ends of a game, both returning to the title screen.
#pragma once

#include "game/screens.h"

// The bank robbery, "GAME OVER" and the score: after the last life or "q".
// Source lines 977-1122.
Screen game_over_sequence();

// After the bomb of level 9: the reboot text in the 640 x 480 mode, the
// capture of the villain, "THE END", the score, and after a Hard game the
// medal. Source lines 1154-1242.
Screen ending_sequence();
