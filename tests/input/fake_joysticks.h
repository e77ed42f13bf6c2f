// Made-up controllers behind the joystick source seam (no machine that runs
// the tests has a real one). Controllers can be unplugged and plugged again;
// their live state is what the table reads when it finds one again.
#pragma once

#include <string>
#include <vector>

#include "runtime/input/joystick.h"

struct FakeController {
    std::string name;
    std::vector<int> axes;     // raw values, -32768..32767
    std::vector<int> buttons;  // 1 down
    std::vector<int> hats;     // SDL_HAT_* bits
    int balls = 0;
    bool plugged = true;
};

class FakeJoysticks final : public JoystickSource {
public:
    std::vector<FakeController> controllers;
    int starts = 0;
    int restarts = 0;
    int closes = 0;
    bool events_on = false;

    void set_events(bool on) override { events_on = on; }
    void start(bool restart) override {
        ++starts;
        if (restart) ++restarts;
    }
    int count() override { return static_cast<int>(plugged().size()); }
    void* open(int index) override { return index < count() ? plugged()[static_cast<size_t>(index)] : nullptr; }
    void close(void*) override { ++closes; }
    std::string name(int index) override { return plugged()[static_cast<size_t>(index)]->name; }
    int buttons(void* handle) override { return static_cast<int>(of(handle).buttons.size()); }
    int axes(void* handle) override { return static_cast<int>(of(handle).axes.size()); }
    int balls(void* handle) override { return of(handle).balls; }
    int hats(void* handle) override { return static_cast<int>(of(handle).hats.size()); }
    void update() override {}
    int button(void* handle, int index) override { return of(handle).buttons[static_cast<size_t>(index)]; }
    int axis(void* handle, int index) override { return of(handle).axes[static_cast<size_t>(index)]; }
    int hat(void* handle, int index) override { return of(handle).hats[static_cast<size_t>(index)]; }
    void ball(void*, int, int* dx, int* dy) override { *dx = *dy = 0; }

private:
    std::vector<FakeController*> plugged() {
        std::vector<FakeController*> list;
        for (FakeController& controller : controllers)
            if (controller.plugged) list.push_back(&controller);
        return list;
    }
    static FakeController& of(void* handle) { return *static_cast<FakeController*>(handle); }
};

// Controller events as the window system delivers them.
inline SDL_Event axis_event(int which, int axis, int value) {
    SDL_Event event{};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis = SDL_JoyAxisEvent{SDL_JOYAXISMOTION, static_cast<Uint8>(which), static_cast<Uint8>(axis), static_cast<Sint16>(value)};
    return event;
}
inline SDL_Event hat_event(int which, int hat, int bits) {
    SDL_Event event{};
    event.type = SDL_JOYHATMOTION;
    event.jhat = SDL_JoyHatEvent{SDL_JOYHATMOTION, static_cast<Uint8>(which), static_cast<Uint8>(hat), static_cast<Uint8>(bits)};
    return event;
}
inline SDL_Event button_event(int which, int button, bool down) {
    SDL_Event event{};
    Uint8 type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.type = type;
    event.jbutton = SDL_JoyButtonEvent{type, static_cast<Uint8>(which), static_cast<Uint8>(button),
                                       static_cast<Uint8>(down ? SDL_PRESSED : SDL_RELEASED)};
    return event;
}
inline SDL_Event ball_event(int which, int ball, int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_JOYBALLMOTION;
    event.jball = SDL_JoyBallEvent{SDL_JOYBALLMOTION, static_cast<Uint8>(which), static_cast<Uint8>(ball),
                                   static_cast<Sint16>(dx), static_cast<Sint16>(dy)};
    return event;
}
