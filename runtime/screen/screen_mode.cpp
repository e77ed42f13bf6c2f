#include "runtime/screen/screen_mode.h"

#include "runtime/core/emulated_memory.h"

void screen_start_tables() { clear_emulated_memory(); }
void screen_start() {}
