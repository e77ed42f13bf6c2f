// Dynamic strings and variable storage.
#pragma once

#include <cstdint>

// Start-up: the variable storage and the two strings of the string segment.
void strings_start();

// The next free index of the temporaries list; a statement saves it first.
uint32_t current_temp_top();

// End-of-statement clean-up: frees the temporaries from base_index up and
// returns value (so that a condition can be cleaned up and tested at once).
int32_t release_temporaries(uint32_t base_index, int32_t value);
