// A page has no window manager's close button: closing the tab ends the
// whole page, the runtime with it, and no request ever arrives.
#include "runtime/platform/close_watch.h"

void watch_close_requests() {}

uint32_t close_requests_arrived() { return 0; }

void reset_close_watch() {}
