// The level's own work at the start of every play step (source lines
// 648-779), before the contacts are checked:
//
// | level | work, in order                                             |
// |-------|------------------------------------------------------------|
// | 1     | key checks; chaser turn (enemy 1)                          |
// | 2     | key checks; chaser turn (enemy 2 silent, then enemy 1)     |
// | 3     | nothing: no enemies                                        |
// | 4     | corner keys and bomb; chaser turn with the generator       |
// | 5     | the drop                                                   |
// | 6     | the crawler                                                |
// | 7     | key and block; bomb; patroller; chaser turn (enemy 1)      |
// | 8     | fog reward; chaser turn with fog and capture (enemy 1)     |
// | 9     | chaser turn (enemy 1)                                      |
#pragma once

void level_own_work();

// Levels 1 and 2: a key cell the hero stands on opens its doors, once.
void key_checks();
