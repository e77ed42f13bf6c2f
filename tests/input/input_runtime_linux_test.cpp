#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "fake_joysticks.h"
#include "key_reading.h"
#include "runtime/core/end_program.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/input/joystick.h"
#include "runtime/input/keyboard.h"
#include "support/runtime_child.h"

namespace {

// The whole runtime in a child process: key and controller events pushed
// into SDL's queue, drained by the main loop, read by the program thread.

void push_key_event(Uint8 type, SDLKey sym, Uint16 unicode = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = unicode;
    SDL_PushEvent(&event);
}

void push_chord(SDLKey modifier, SDLKey sym, Uint16 unicode) {
    push_key_event(SDL_KEYDOWN, modifier);
    push_key(sym, unicode);
    push_key_event(SDL_KEYUP, modifier);
}


TEST(InputRuntime, PushedKeysReachInkeyAFloodKeepsFifteenAndNoControllerReads128) {
    ChildResult result = run_runtime_child([] {
        statement(10, [] {
            push_key(SDLK_a, 'a');
            push_chord(SDLK_LSHIFT, SDLK_a, 'A');
            push_chord(SDLK_LCTRL, SDLK_a, 1);
            push_chord(SDLK_LALT, SDLK_a, 'a');
            push_key(SDLK_UP);
            push_key(SDLK_DOWN);
            push_key(SDLK_LEFT);
            push_key(SDLK_RIGHT);
            push_key(SDLK_F1);
            push_key(SDLK_ESCAPE, 27);
            push_key(SDLK_RETURN, 13);
            push_key(SDLK_BACKSPACE, 8);
            push_key(static_cast<SDLKey>(233), 0xE9);
            push_key_event(SDL_KEYDOWN, SDLK_LALT);
            push_key(SDLK_KP6, '6');
            push_key(SDLK_KP5, '5');
            push_key_event(SDL_KEYUP, SDLK_LALT);
        });
        std::string keys;
        for (int i = 0; i < 14; ++i) keys += read_key_hex() + " ";
        child_report("keys:" + keys);
        // Twenty presses while nothing reads: a few main-loop iterations later
        // the ring holds the first fifteen.
        statement(20, [] {
            for (char key = 'a'; key < 'a' + 20; ++key) push_key(static_cast<SDLKey>(key), static_cast<Uint16>(key));
        });
        SDL_Delay(200);
        std::string flood;
        for (std::string key; !(key = read_key_hex(100)).empty();) flood += key;
        child_report("flood:" + flood);
        // SDL's own joysticks: this machine has none.
        statement(30, [] {
            int32_t position = stick(0, 0, false);
            int32_t button = strig(0, 0, false);
            child_report("no controller:" + std::to_string(position) + "," + std::to_string(button));
        });
        system_exit();
    });
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.reported("keys:61 41 01 001e 0048 0050 004b 004d 003b 1b 0d 08 82 41 ")) << result.reports.size();
    EXPECT_TRUE(result.reported("flood:6162636465666768696a6b6c6d6e6f"));
    EXPECT_TRUE(result.reported("no controller:128,0"));
}

std::atomic<bool> resume_key_pushed{false};
std::atomic<Uint32> pause_seen_ms{0};

TEST(InputRuntime, PauseHoldsTheProgramUntilAKeyThatInkeyNeverSees) {
    ChildResult result = run_runtime_child([] {
        statement(10, [] {
            push_key(SDLK_PAUSE);
            // Once the main loop has taken the pause, the program stays held
            // until the next key, which comes some time later.
            std::thread([] {
                while ((control.suspend_bits.load() & suspend_paused) == 0) SDL_Delay(1);
                pause_seen_ms = SDL_GetTicks();
                SDL_Delay(400);
                resume_key_pushed = true;
                push_key(SDLK_x, 'x');
                SDL_Delay(100);
                push_key(SDLK_y, 'y');
            }).detach();
        });
        bool ran_while_paused = false;
        while (!resume_key_pushed) {
            statement(20, [&] {
                // The statement running as the pause arrives (or just after,
                // before attention is raised) reaches its step and is held
                // there; none may begin well after the pause was taken.
                Uint32 seen = pause_seen_ms.load();
                if (seen != 0 && SDL_GetTicks() - seen > 50 && !resume_key_pushed) ran_while_paused = true;
                SDL_Delay(5);
            });
        }
        child_report(ran_while_paused ? "ran while paused" : "held");
        child_report("first:" + read_key_hex(5000));
        // Alt+Enter is the full-screen switch: the key after it comes first.
        statement(30, [] {
            push_key_event(SDL_KEYDOWN, SDLK_LALT);
            push_key(SDLK_RETURN, 13);
            push_key_event(SDL_KEYUP, SDLK_LALT);
            push_key(SDLK_k, 'k');
        });
        child_report("after alt+enter:" + read_key_hex(5000));
        system_exit();
    });
    std::string reports;
    for (const std::string& line : result.reports) reports += line + "|";
    EXPECT_EQ(result.status, 0) << result.stderr_text;
    EXPECT_TRUE(result.reported("held")) << reports;
    EXPECT_TRUE(result.reported("first:79")) << reports;
    EXPECT_TRUE(result.reported("after alt+enter:6b")) << reports;
}

FakeJoysticks child_joysticks;

void push_event(SDL_Event event) { SDL_PushEvent(&event); }

// STICK in statements until it gives want or the time is up.
int32_t stick_until(int32_t want) {
    int32_t value = 0;
    Uint32 start = SDL_GetTicks();
    do {
        statement(200, [&] { value = stick(0, 0, false); });
        if (value != want) SDL_Delay(2);
    } while (value != want && SDL_GetTicks() - start < 2000);
    return value;
}

TEST(InputRuntime, ControllerEventsTravelThroughTheMainLoop) {
    ChildResult result = run_runtime_child([] {
        child_joysticks.controllers.push_back(FakeController{"Pad", {0, 0}, {0, 0}, {}, 0, true});
        set_joystick_source(&child_joysticks);
        statement(10, [] {
            child_report("stick:" + std::to_string(stick(0, 0, false)));  // enumerates with the main loop parked
            child_report("park:" + std::to_string(control.main_loop_park.load()));
        });
        statement(20, [] {
            push_event(axis_event(0, 0, 32767));
            push_event(button_event(0, 0, true));
        });
        child_report("moved:" + std::to_string(stick_until(254)));
        statement(30, [] {
            int32_t first = strig(0, 0, false);
            int32_t second = strig(0, 0, false);
            int32_t held = strig(1, 0, false);
            child_report("strig:" + std::to_string(first) + "," + std::to_string(second) + "," + std::to_string(held));
            push_event(axis_event(5, 0, -32767));  // no controller has index 5
            push_event(axis_event(0, 1, -32767));
        });
        int32_t other = 0;
        Uint32 start = SDL_GetTicks();
        do statement(40, [&] { other = stick(1, 0, false); });
        while (other != 1 && SDL_GetTicks() - start < 2000);
        child_report("after:" + std::to_string(stick(0, 0, false)) + "," + std::to_string(other));
        system_exit();
    });
    EXPECT_EQ(result.status, 0) << result.stderr_text;
    EXPECT_TRUE(result.reported("stick:127"));
    EXPECT_TRUE(result.reported("park:0"));
    EXPECT_TRUE(result.reported("moved:254"));
    EXPECT_TRUE(result.reported("strig:-1,0,-1"));
    EXPECT_TRUE(result.reported("after:254,1"));
}

}  // namespace
