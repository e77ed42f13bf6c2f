// Screen modes, pages and images.
#pragma once

// Start-up, before the window system starts: the font size tables.
void screen_start_tables();

// Start-up: palettes, blink table, fonts and the first screen (SCREEN 0).
void screen_start();
