// Starting the window system's joystick subsystem, which differs by platform.
#pragma once

// Program thread, while the main loop is parked. restart: it was started
// before, and is stopped first so that it finds the controllers afresh.
void start_joystick_subsystem(bool restart);
