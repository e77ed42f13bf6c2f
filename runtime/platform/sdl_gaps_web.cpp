// The parts of SDL 1.2 that the browser port lacks or that a worker thread
// must not call, made of POSIX threads and the page's own clock. Defined
// here, they take the place of the port's versions at link time.
//
// | call             | the port's own                | here                       |
// |------------------|-------------------------------|----------------------------|
// | SDL_CreateThread | throws                        | a pthread (a Web Worker)   |
// | SDL_WaitThread   | throws                        | pthread_join               |
// | SDL_Delay        | spins in a worker, aborts on  | nanosleep: a worker rests  |
// |                  | the main thread               |                            |
// | SDL_GetTicks     | answered by the main thread   | emscripten_get_now, read   |
// |                  | (a worker waits for it)       | on the calling thread      |
// | SDL_CreateCursor | missing                       | none: the page keeps the   |
// | SDL_SetCursor,   |                               | browser's own pointer      |
// | SDL_FreeCursor   |                               |                            |
// | SDL_PeepEvents   | throws on a peek              | finds nothing: the one     |
// |                  |                               | peek looks for a close     |
// |                  |                               | request, which a page never|
// |                  |                               | gets                       |
// | SDL_ListModes    | any size                      | the screen's size: the one |
// |                  |                               | full-screen mode, as an X  |
// |                  |                               | server reports its one     |
// | SDL_LoadBMP_RW   | decodes only preloaded files  | none: the page's icon is   |
// |                  | (the window icon fails)       | its favicon                |
//
// A worker that waits for the main thread while the main thread waits for
// it (the shutdown joins the program thread) would never wake: the program
// and timer-event threads therefore call no other SDL function on the web.
#include <SDL.h>
#include <emscripten.h>
#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <new>

struct SDL_Thread {
    pthread_t thread;
    SDL_ThreadFunction function;
    void* data;
    int status;
};

namespace {

void* thread_start(void* record) {
    auto* thread = static_cast<SDL_Thread*>(record);
    thread->status = thread->function(thread->data);
    return nullptr;
}

// The clock's zero: the first reading, on whichever thread comes first (the
// main thread, before it starts any other). The port corrects each worker's
// reading to the main thread's time origin.
double ticks_origin_ms() {
    static const double origin = emscripten_get_now();
    return origin;
}

}  // namespace

pthread_t sdl_thread_pthread(SDL_Thread* thread) { return thread->thread; }

extern "C" {

SDL_Thread* SDL_CreateThread(SDL_ThreadFunction function, void* data) {
    auto* thread = new (std::nothrow) SDL_Thread{pthread_t{}, function, data, 0};
    if (thread == nullptr) return nullptr;
    if (pthread_create(&thread->thread, nullptr, thread_start, thread) != 0) {
        delete thread;
        SDL_SetError("pthread_create failed");
        return nullptr;
    }
    return thread;
}

void SDL_WaitThread(SDL_Thread* thread, int* status) {
    if (thread == nullptr) return;
    pthread_join(thread->thread, nullptr);
    if (status != nullptr) *status = thread->status;
    delete thread;
}

void SDL_Delay(Uint32 ms) {
    struct timespec pause {};
    pause.tv_sec = ms / 1000;
    pause.tv_nsec = static_cast<long>(ms % 1000) * 1000000;
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

SDL_Cursor* SDL_CreateCursor(const Uint8*, const Uint8*, int, int, int, int) { return nullptr; }

void SDL_SetCursor(SDL_Cursor*) {}

void SDL_FreeCursor(SDL_Cursor*) {}

int SDL_PeepEvents(SDL_Event*, int, SDL_eventaction, Uint32, Uint32) { return 0; }

SDL_Rect** SDL_ListModes(const SDL_PixelFormat*, Uint32) {
    static SDL_Rect screen_mode{};
    static SDL_Rect* modes[] = {&screen_mode, nullptr};
    screen_mode.w = static_cast<decltype(screen_mode.w)>(EM_ASM_INT({ return screen.width; }));
    screen_mode.h = static_cast<decltype(screen_mode.h)>(EM_ASM_INT({ return screen.height; }));
    if (screen_mode.w <= 0 || screen_mode.h <= 0) return nullptr;
    return modes;
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* source, int free_source) {
    if (free_source != 0 && source != nullptr) SDL_FreeRW(source);
    return nullptr;
}

Uint32 SDL_GetTicks() { return static_cast<Uint32>(static_cast<uint64_t>(emscripten_get_now() - ticks_origin_ms())); }

}  // extern "C"
