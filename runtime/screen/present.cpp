#include "runtime/screen/present.h"

std::atomic<int32_t> alt_enter_count{0};

void query_fullscreen_modes() {}
void present_display() {}
void invalidate_presentation() {}
