// Child routines shared by the endings tests. Kept apart from the game's
// screen names, which the X window tests cannot see beside Xlib's own.
#pragma once

// In a runtime child: the ending after a Hard game with 50 points, then the
// title screen, which stays up for about three seconds; reports
// "ending_to_title" and "medal_won", then "done".
void hard_ending_then_title();

// In a runtime child: the ending after a Normal game with 50 points, then the
// game goes on as after a won game, to the title and the menu, whose keys
// work as ever ("f" ends the program).
void ending_then_menu();
