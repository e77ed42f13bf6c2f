// The mechanisms of single levels, each a piece of the play step's level work
// (level_own_work), run before the contacts are checked. None reads a key;
// all decide by reading back the characters shown on the screen.
//
// | level | entry                      | source lines |
// |-------|----------------------------|--------------|
// | 4     | generator_keys_and_bomb    | 670-676      |
// | 4     | generator_chaser_turn      | 677-679      |
// | 5     | falling_drop               | 680-697      |
// | 6     | wall_crawler               | 700-709      |
// | 7     | temple_key_and_bomb        | 710-714      |
// | 7     | temple_patroller           | 715-718      |
// | 8     | fog_reward                 | 724-726      |
// | 8     | fog_chaser_turn            | 728-779      |
//
// Called on the program thread, inside the play step, only while the level
// named in the table is running.
#pragma once

// Level 4. The corner keys 2,2 / 22,30 / 2,30 / 22,2 set key1_taken to
// key4_taken; once all four are taken the bomb is drawn, key1_taken becomes
// 55 (so the flags add up to 58) and the bomb is drawn again on every step.
void generator_keys_and_bomb();

// Level 4's chaser turn: on the steps the chasers move, the generator first
// counts its turn (switching between walls and traps every 10 turns, 3 on
// Hard) and redraws its four cells, then enemy 2 and enemy 1 move.
void generator_chaser_turn();

// Level 5: enemy 1 is a drop that falls from row 2 in the hero's column,
// turns aside at the obstacles (231) as RND says, and is collected on row 22
// beside the hero (10 points each); the fortieth drop reveals the bomb.
void falling_drop();

// Level 6: a trap that eats its way through the walls, moving ever more often
// (its period shrinks a little every step); each move scores 1.
void wall_crawler();

// Level 7: the key at 2,2 opens the block at 4,16; the bomb is drawn on every
// step.
void temple_key_and_bomb();

// Level 7: enemy 2 patrols row 2 one cell per step, turning at columns 5
// and 26.
void temple_patroller();

// Level 8: once the enemy has been captured (it turns colour 44) the two fog
// walls diagonally below the bomb open, once.
void fog_reward();

// Level 8's chaser turn for enemy 1: the double line (186) captures it back
// to 2,2; it walks blanks and fog, and leaves fog behind wherever it was.
void fog_chaser_turn();
