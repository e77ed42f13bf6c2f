#include "runtime/screen/fullscreen.h"

bool fullscreen_without_mode() { return false; }
