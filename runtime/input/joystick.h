// Joystick input: the input device table, controller events, STICK, STRIG.
//
// Devices are numbered from 1: the keyboard is 1, the mouse 2, controllers
// follow in the order they were first found. Each device keeps a history of
// snapshots of its state; the main thread adds one for every controller
// event. A snapshot:
//
// | bytes             | content                                             |
// |-------------------|-----------------------------------------------------|
// | button_count      | 1 down, 0 up, per button                            |
// | 4 * axis_count    | float in [-1, 1] per axis; a controller's axes, then |
// |                   | x and y of each hat                                 |
// | 4 * wheel_count   | float per wheel; x and y of each trackball          |
// | 8                 | sequence number, one counter for all devices        |
//
// Threads: enumerate_devices runs on the program thread while the main
// thread is parked; afterwards the main thread alone adds snapshots and sets
// latches, and STICK and STRIG read on the program thread. They read each
// controller's newest values from atomic copies, because the main thread may
// move a history to a larger buffer at any moment.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int device_controller = 1;
constexpr int device_keyboard = 2;
constexpr int device_mouse = 3;
constexpr int button_latch_count = 256;

struct InputDevice {
    int32_t connected = 0;
    int32_t device_type = 0;
    std::string device_name;
    int32_t name_complete = 0;  // 1 while the name does not end in "[DISCONNECTED]"
    int32_t button_count = 0;
    int32_t axis_count = 0;
    int32_t wheel_count = 0;
    int32_t history_capacity = 0;
    int32_t history_count = 0;
    std::vector<uint8_t> history;
    int32_t snapshot_size = 0;
    std::atomic<uint8_t> button_latch[button_latch_count] = {};
    std::string sdl_name;
    void* sdl_handle = nullptr;
    int32_t sdl_index = -1;
    int32_t sdl_buttons = 0;
    int32_t sdl_axes = 0;
    int32_t sdl_balls = 0;
    int32_t sdl_hats = 0;
    // The newest snapshot's buttons and axes, for the program thread.
    std::unique_ptr<std::atomic<uint8_t>[]> current_buttons;
    std::unique_ptr<std::atomic<float>[]> current_axes;
};

struct InputDeviceTable {
    std::vector<std::unique_ptr<InputDevice>> devices;  // device n at index n - 1
    std::atomic<int32_t> device_count{0};
    uint64_t sequence = 0;          // last sequence number given to a snapshot
    bool subsystem_started = false;
};

extern InputDeviceTable input_devices;

// What the table needs from the window system's joysticks. The real source
// is SDL's joystick subsystem; tests install a source of made-up controllers.
class JoystickSource {
public:
    virtual ~JoystickSource() = default;
    virtual void set_events(bool on) = 0;
    virtual void start(bool restart) = 0;  // restart: stop the subsystem first
    virtual int count() = 0;
    virtual void* open(int index) = 0;
    virtual void close(void* handle) = 0;
    virtual std::string name(int index) = 0;
    virtual int buttons(void* handle) = 0;
    virtual int axes(void* handle) = 0;
    virtual int balls(void* handle) = 0;
    virtual int hats(void* handle) = 0;
    virtual void update() = 0;
    virtual int button(void* handle, int index) = 0;
    virtual int axis(void* handle, int index) = 0;
    virtual int hat(void* handle, int index) = 0;
    virtual void ball(void* handle, int index, int* dx, int* dy) = 0;
};

// nullptr puts SDL's joysticks back.
void set_joystick_source(JoystickSource* source);

// Empties the table (tests).
void reset_input_devices();

// (Re)builds the table; returns device_count. Program thread.
int enumerate_devices();

// Main thread: axis, ball, hat and button events of the window system.
void joystick_event(const SDL_Event& event);

// Main thread: whether a controller is connected, whose moves only the main
// loop's passes bring in (a page's gamepads are polled in each drain).
bool controller_connected();

// STICK(n[, axis_pair]): 1..254 with 127 at rest, 128 without such a controller.
int32_t stick(int32_t n, int32_t axis_pair, bool pair_given);

// STRIG(n[, controller]): -1 or 0.
int32_t strig(int32_t n, int32_t controller, bool controller_given);

// A window-system axis value as a float in [-1, 1].
float axis_value(int raw);
