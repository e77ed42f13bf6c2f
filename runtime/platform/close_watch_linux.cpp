#include "runtime/platform/close_watch.h"

#include <atomic>
#include <cstring>

#include <SDL.h>
#include <SDL_syswm.h>
// The X library's extension interface (XESetWireToEvent); it defines min and
// max as macros, so it comes after every standard header.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace {

// The X library's own conversion of a ClientMessage from the wire, which the
// watch calls on and then looks at the result.
using WireToEvent = Bool (*)(Display*, XEvent*, xEvent*);

struct CloseWatch {
    WireToEvent previous = nullptr;
    Display* display = nullptr;
    Atom delete_window = 0;
    std::atomic<uint32_t> arrived{0};
};

CloseWatch watch;

Bool count_close_request(Display* display, XEvent* event, xEvent* wire) {
    Bool converted = watch.previous ? watch.previous(display, event, wire) : False;
    // The test SDL applies before it turns a message into a close event.
    if (converted && event->type == ClientMessage && event->xclient.format == 32 &&
        static_cast<Atom>(event->xclient.data.l[0]) == watch.delete_window)
        watch.arrived.fetch_add(1);
    return converted;
}

}  // namespace

void watch_close_requests() {
    SDL_SysWMinfo info;
    std::memset(&info, 0, sizeof info);
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display) return;
    if (watch.display == info.info.x11.display) return;
    Display* display = info.info.x11.display;
    info.info.x11.lock_func();
    watch.display = display;
    watch.delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    watch.previous = XESetWireToEvent(display, ClientMessage, count_close_request);
    info.info.x11.unlock_func();
}

uint32_t close_requests_arrived() { return watch.arrived.load(); }

void reset_close_watch() {
    watch.previous = nullptr;
    watch.display = nullptr;
    watch.delete_window = 0;
    watch.arrived = 0;
}
