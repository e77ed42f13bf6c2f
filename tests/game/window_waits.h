// The kinds of wait the program thread can be in when the window closes, and
// how to bring the real program, in a real X window, to each of them. The
// fault tests close the window there and want status 0 soon after; the
// benchmarks time the same closes.
//
// | kind              | where the program waits                                   |
// |-------------------|-----------------------------------------------------------|
// | tune              | the title's jingle, foreground music (2.4 s)              |
// | mode_change       | SCREEN 12 and 13 back and forth, as the ending does       |
// | fullscreen_switch | "s" in the menu: the switch waits for the main thread     |
// | pause             | the Pause key in a level                                  |
// | calibration       | the joystick calibration, a busy loop over INKEY$ (no stick) |
// | level             | level 1 playing, the hero standing: mostly the wait of a tick |
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "game/basic.h"
#include "game/x_session.h"
#include "runtime/lifecycle/lifecycle.h"

enum class WaitKind { tune, mode_change, fullscreen_switch, pause, calibration, level };

inline const char* wait_kind_name(WaitKind kind) {
    switch (kind) {
    case WaitKind::tune: return "tune";
    case WaitKind::mode_change: return "mode_change";
    case WaitKind::fullscreen_switch: return "fullscreen_switch";
    case WaitKind::pause: return "pause";
    case WaitKind::calibration: return "calibration";
    case WaitKind::level: return "level";
    }
    return "unknown";
}

inline bool on_menu(const TextScreen& screen) { return screen.shows(9, 15, "A- Play") && screen.shows(17, 15, "F- Exit"); }

// The title with the hero and the villain drawn and no menu yet: the jingle
// is playing, and the menu comes only when it has ended.
inline bool title_jingle_playing(const TextScreen& screen) {
    return screen.cells[5][8].code == 2 && screen.cells[5][32].code == 2 && screen.cells[5][33].code == 235 && !on_menu(screen);
}

inline bool shows_level_one(const TextScreen& screen) { return screen.shows(10, 32, "Level 1") && screen.cells[22][14].code == 2; }

// A runtime child's routine: the ending's two mode changes over and over,
// with just enough time between them for the presentation to show each mode.
inline void mode_changes_forever() {
    for (;;) {
        statement(1, [] { cls(); });
        statement(1, [] { screen_mode(12); });
        statement(1, [] { print({text(" System clear ... Virus stoped ... ")}); });
        statement(1, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        statement(1, [] { cls(); });
        statement(1, [] { screen_mode(13); });
        statement(1, [] { print({text("THE END")}); });
        statement(1, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
    }
}

// Starts the program on the session's display and brings it to a wait of
// the kind. False, with the reason in why, when that did not happen.
inline bool reach_wait(XSession& session, WaitKind kind, std::string& why) {
    TextScreen screen;
    if (kind == WaitKind::mode_change) {
        if (!session.start_process([] {
                char name[] = "tommy-zappo";
                char* argv[] = {name, nullptr};
                std::exit(runtime_main(1, argv, mode_changes_forever));
            })) {
            why = "no window appeared";
            return false;
        }
        // A few dozen changes have happened; the close can land anywhere in
        // the cycle, most often in the wait for the presentation.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        return true;
    }
    if (!session.start_game(game_executable())) {
        why = "no window appeared";
        return false;
    }
    if (kind == WaitKind::tune) {
        if (session.wait_for(screen, title_jingle_playing, 40000)) return true;
        why = "the title's jingle was never seen\n" + screen.dump();
        return false;
    }
    if (!session.wait_for(screen, on_menu, 60000)) {
        why = "the menu never appeared\n" + screen.dump();
        return false;
    }
    switch (kind) {
    case WaitKind::fullscreen_switch:
        // The close follows the key at once: the switch is requested within
        // two main-loop passes and waits for the next presentation.
        session.key("s");
        return true;
    case WaitKind::calibration:
        session.key("t");
        if (session.wait_for(screen, [](const TextScreen& s) { return s.shows(1, 1, "      Calibrate Joystick :"); }, 20000))
            return true;
        why = "the calibration screen never appeared\n" + screen.dump();
        return false;
    case WaitKind::level:
        session.key("1");
        if (session.wait_for(screen, shows_level_one, 20000)) return true;
        why = "level 1 never appeared\n" + screen.dump();
        return false;
    case WaitKind::pause: {
        session.key("1");
        if (!session.wait_for(screen, shows_level_one, 20000)) {
            why = "level 1 never appeared\n" + screen.dump();
            return false;
        }
        session.key("Pause");
        // Paused, nothing moves: the clock shows the same second 1.3 s later
        // (a loaded machine may take a moment to read the key).
        TextScreen earlier, later;
        session.screenshot(earlier);
        for (int look = 0; look < 6; ++look) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1300));
            session.screenshot(later);
            if (earlier.dump() == later.dump() && shows_level_one(later) && later.shows(2, 32, "TIME :")) return true;
            earlier = later;
        }
        why = "the level went on after Pause\n" + later.dump();
        return false;
    }
    default: return true;
    }
}

struct CloseResult {
    int status = -1;        // exit status; -1 when the process had not ended within the bound
    double latency_ms = 0;  // from the close request to the end of the process
    double request_ms = 0;  // of that, the X server's taking the request (a busy server is slow to)
};

// Closes the window as a window manager's close button does and waits at
// most bound_ms for the process to end.
inline CloseResult close_and_time(XSession& session, int bound_ms) {
    CloseResult result;
    auto start = std::chrono::steady_clock::now();
    if (!session.close_window()) return result;
    result.request_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result.status = session.wait_exit(bound_ms);
    result.latency_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return result;
}
