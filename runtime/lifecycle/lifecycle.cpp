#include "runtime/lifecycle/lifecycle.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "runtime/core/command_line.h"
#include "runtime/core/end_program.h"
#include "runtime/core/events.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/core/threads.h"
#include "runtime/core/timer.h"
#include "runtime/input/joystick.h"
#include "runtime/input/key_repeat.h"
#include "runtime/input/keyboard.h"
#include "runtime/lifecycle/main_loop_pace.h"
#include "runtime/platform/close_watch.h"
#include "runtime/platform/dialog.h"
#include "runtime/platform/ime.h"
#include "runtime/platform/system.h"
#include "runtime/platform/window_art.h"
#include "runtime/screen/present.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/sound/sound_queue.h"

namespace {

ProgramRoutine program_routine = nullptr;
SDL_Cursor* runtime_cursor = nullptr;
std::atomic<uint32_t> loop_iterations{0};

// A routine that returns without END or SYSTEM ends the program as SYSTEM does.
void program_routine_to_its_end() {
    program_routine();
    system_exit();
}

// Critical: shows "Division by zero" and ends.
void arithmetic_fault_raised() { raise_error(11); }

void guarded_program_routine() { run_with_arithmetic_fault_landing(program_routine_to_its_end, arithmetic_fault_raised); }

int program_thread_main(void*) {
    set_thread_role(ThreadRole::program);
    run_program_thread(guarded_program_routine);
    return 0;
}

// With a record armed the thread watches the clock every millisecond, which
// is the resolution ON TIMER has. With none (always, in this game) it has
// nothing to watch: it rests up to timer_idle_look at a time, woken at
// once by the end, so that an idle program costs no processor and no wake-up
// that a page pays for. A park request is answered within one rest either
// way. The short sleep after each rest is where a page's worker runs what
// other threads handed it (sleeps do that, waits do not).
constexpr auto timer_idle_look = std::chrono::milliseconds(100);

struct TimerThreadRest {
    std::mutex mutex;
    std::condition_variable ending;
};
// Never destroyed: the process may end while the thread rests on it.
TimerThreadRest& timer_rest = *new TimerThreadRest;

int timer_thread_main(void*) {
    set_thread_role(ThreadRole::timer);
    while (control.exit_flag.load() == 0) {
        if (control.timer_thread_park.load() == 1) control.timer_thread_park = 2;
        if (control.timer_thread_park.load() != 0) {
            sleep_ms(1);
            continue;
        }
        if (timers_armed()) {
            scan_timers(SDL_GetTicks() * 0.001);
        } else {
            std::unique_lock<std::mutex> lock(timer_rest.mutex);
            timer_rest.ending.wait_for(lock, timer_idle_look, [] { return control.exit_flag.load() != 0; });
        }
        sleep_ms(1);
    }
    control.stopped_bits.fetch_or(2);
    return 0;
}

// The repeat is the runtime's own (runtime/input/key_repeat.h); the
// library's stays off on both SDL 1.2 libraries.
void set_key_repeat(bool on) {
    set_key_repeat_enabled(on);
    control.key_repeat_enabled = on ? 1 : 0;
}

// The original SDL 1.2 starts without a sound device and leaves it to the
// first sound to find out (status 10001); sdl12-compat fails the whole start
// instead. Audio is therefore started apart, its failure left to the mixer,
// so that a machine without sound runs as far on both libraries.
//
// No timer subsystem: it serves SDL_AddTimer, which nothing here calls, with
// a thread that wakes every millisecond for the whole run, while SDL_GetTicks
// and SDL_Delay work without it. A waiting program then costs no processor.
bool start_sdl() {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_CDROM) < 0) return false;
    SDL_InitSubSystem(SDL_INIT_AUDIO);
    return true;
}

[[noreturn]] void shutdown() {
    control.main_loop_park = 2;
    {
        std::lock_guard<std::mutex> lock(timer_rest.mutex);
        control.exit_flag = 1;
    }
    timer_rest.ending.notify_all();
    control.attention_flag = 1;
    if (SDL_Thread* thread = control.program_thread.load()) SDL_WaitThread(thread, nullptr);
    while (control.stopped_bits.load() != 3) SDL_Delay(16);
    if (SDL_Thread* thread = control.timer_thread.load()) SDL_WaitThread(thread, nullptr);
    SDL_ShowCursor(0);
    if (runtime_cursor) SDL_FreeCursor(runtime_cursor);
    runtime_cursor = nullptr;
    std::exit(control.exit_code.load());
}

// Close requests accounted for: delivered by SDL, or found missing.
uint32_t closes_handled = 0;

// A close of the window (the window manager's close button): the program's
// own handling when it asked for it, otherwise the end.
void window_closed() {
    ++closes_handled;
    if (control.exit_handling_enabled.load()) {
        control.exit_request_bits.fetch_or(1);
        return;
    }
    shutdown();
}

void handle_event(const SDL_Event& event) {
    if (dialog_handle_event(event)) return;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        keyboard_event(event.key);
        break;
    case SDL_JOYAXISMOTION:
    case SDL_JOYBALLMOTION:
    case SDL_JOYHATMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        joystick_event(event);
        break;
    case SDL_QUIT:
        window_closed();
        break;
    default:
        break;
    }
}

// Whether anything came: an event, or a repeat of the key held.
bool drain_events() {
    bool came = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        came = true;
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) note_key_event(event.key, SDL_GetTicks());
        handle_event(event);
    }
    // A repeat takes the road of the press it repeats: to an open dialog,
    // Pause, Alt+Enter or the BIOS ring alike.
    if (key_repeat_due(SDL_GetTicks())) {
        SDL_Event repeat{};
        repeat.key = key_repeat.press;
        handle_event(repeat);
    }
    // Every close request the window system sent before this drain is now
    // either delivered or was dropped by SDL during a display switch.
    if (close_requests_arrived() > closes_handled) window_closed();
    closes_handled = std::max(closes_handled, close_requests_arrived());
    return came;
}

// What keeps the loop's rhythm wanted though this pass found nothing new: a
// key held (its repeat is timed), sounds waiting their turn, a dialog open,
// a controller to poll, or a request of the program's not yet answered.
bool rhythm_wanted() {
    return key_repeat.armed || queued_sound_count() > 0 || dialog_is_open() || controller_connected() ||
           presentation.fullscreen_request.load() != -1 || control.presentation_freeze.load() != 0 ||
           control.stop_request.load() != 0;
}

bool loop_phase = false;

// Returns whether the pass found anything to follow (main_loop_pace.h).
bool main_loop_pass() {
    loop_iterations.fetch_add(1, std::memory_order_relaxed);
    if (control.main_loop_park.load() == 1) control.main_loop_park = 2;
    if (control.main_loop_park.load() == 2) {
        if (!main_loop_sleeps()) return true;
        while (control.main_loop_park.load() == 2) SDL_Delay(1);
    }
    refresh_bios_tick_count();
    if (int shell = control.shell_state.load(); shell != 0) {
        if (shell == -1) {
            if (main_loop_sleeps()) SDL_Delay(64);
            return true;
        }
        control.shell_state = -1;
        if (control.key_repeat_enabled.load()) set_key_repeat(false);
        if (control.autodisplay.load() != 0) present_display();
        control.retrace_flags[0] = 0;
        return true;
    }
    if (main_loop_sleeps()) SDL_Delay(15);
    control.retrace_flags[0] = 1;
    control.retrace_flags[1] = 1;
    if (main_loop_sleeps()) SDL_Delay(1);
    if (control.stop_request.load()) shutdown();
    loop_phase = !loop_phase;
    sound_queue_step();
    int32_t updates = presentation.surface_updates.load();
    if (loop_phase && control.autodisplay.load() != 0) present_display();
    control.retrace_flags[0] = 0;
    bool found = presentation.surface_updates.load() != updates || rhythm_wanted();
    if (loop_phase) return found;
    Uint8 state = SDL_GetAppState();
    bool focused = (state & SDL_APPINPUTFOCUS) && (state & SDL_APPACTIVE);
    if (focused != (control.key_repeat_enabled.load() != 0)) {
        set_key_repeat(focused);
        found = true;
    }
    service_input_method();
    sync_lock_keys();
    return drain_events() || found;
}

}  // namespace

uint32_t main_loop_iteration_count() { return loop_iterations.load(std::memory_order_relaxed); }

int runtime_main(int argc, char** argv, ProgramRoutine routine) {
    program_routine = routine;
    set_thread_role(ThreadRole::main);
    fill_on_key_defaults();
    change_directory(executable_directory());
    screen_start_tables();
    strings_start();
    command_line_text = join_command_line(argc, argv);
    if (!start_sdl()) {
        std::fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        std::exit(100);
    }
    std::atexit(SDL_Quit);
    watch_close_requests();
    establish_time_base();
    if (TTF_Init() < 0) std::exit(7000);
    std::atexit(TTF_Quit);
    seed_keyboard_state();
    if (int status = start_input_method(); status != 0) std::exit(status);
    query_fullscreen_modes();
    SDL_EnableKeyRepeat(0, 0);
    set_key_repeat(true);
    SDL_EnableUNICODE(1);
    empty_keyboard_buffer();
    set_window_icon();
    SDL_WM_SetCaption("Untitled", nullptr);
    runtime_cursor = create_runtime_cursor();
    if (runtime_cursor) SDL_SetCursor(runtime_cursor);
    screen_start();
    // Marked before the program thread exists: a routine that fails in its
    // first statement must already find the main loop to answer its dialog,
    // or it would poll events beside the main thread and end the process
    // from its own thread, under the other threads' feet.
    set_shutdown(shutdown);
    control.threads_started = 1;
    SDL_Thread* program = SDL_CreateThread(program_thread_main, nullptr);
    control.program_thread = program;
    SDL_Thread* timer = program ? SDL_CreateThread(timer_thread_main, nullptr) : nullptr;
    control.timer_thread = timer;
    if (!program || !timer) {
        std::fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
        return 0;
    }
    run_main_loop(main_loop_pass);
}
