// The pictures the runtime gives the window system: the 32 x 32 window icon
// (an 8-bit BMP built into the program) and the mouse pointer.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

// The icon as the bytes of an 8-bit, 32 x 32 BMP file.
const std::vector<uint8_t>& window_icon_bmp();

// Loads the icon from memory and gives it to the window system.
void set_window_icon();

// The pointer: a black arrow with a white inside, hot spot at the top left.
SDL_Cursor* create_runtime_cursor();

// The pointer's picture as SDL wants it: 128 bytes of data and 128 of mask.
void cursor_bits(uint8_t data[128], uint8_t mask[128]);
