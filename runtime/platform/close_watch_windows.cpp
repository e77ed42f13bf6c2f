// SDL's Windows video driver turns the window's close message into its quit
// event on its own, whatever the display switches in between, so no close
// request can be lost that a watch would have to count.
#include "runtime/platform/close_watch.h"

void watch_close_requests() {}

uint32_t close_requests_arrived() { return 0; }

void reset_close_watch() {}
