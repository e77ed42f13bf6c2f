// PAINT: fills the 4-connected region around a seed pixel of the write image
// whose pixels are not of the border colour, within the graphics viewport.
//
// The fill grows in generations (all newly filled pixels at path distance n
// from the seed), so an unfinished fill is a diamond around the seed. Its
// work lists and visited map are made on the first PAINT and kept; a fill
// allocates nothing more unless a larger image or generation needs it.
// Program thread only; the presentation may show a partly finished fill.
#pragma once

#include <cstddef>
#include <cstdint>

// PAINT [STEP] (x, y), fill, border, background. Passed mask: bit 0 STEP,
// bit 1 fill given, bit 2 border given, bit 3 background given (error 5).
// Without a border colour the fill stops at pixels of its own colour.
void paint_fill(float x, float y, uint32_t fill_color, uint32_t border_color, int32_t background, uint32_t passed);

// Tests: the bytes the visited map holds now (0 before the first PAINT) and
// whether all of them are back to 0.
size_t visited_map_size();
bool visited_map_clear();
// Tests: the room of each generation list.
size_t fill_list_capacity();
