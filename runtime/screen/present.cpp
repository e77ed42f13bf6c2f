#include "runtime/screen/present.h"

void query_fullscreen_modes() {}
void present_display() {}
