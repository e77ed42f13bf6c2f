#include "runtime/core/emulated_memory.h"

#include <cstring>

alignas(64) uint8_t emulated_memory[emulated_memory_size];

void clear_emulated_memory() { std::memset(emulated_memory, 0, sizeof emulated_memory); }
