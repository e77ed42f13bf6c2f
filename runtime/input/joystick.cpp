#include "runtime/input/joystick.h"

#include <cstring>

#include "runtime/core/events.h"
#include "runtime/core/rounding.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/threads.h"
#include "runtime/core/statement.h"
#include "runtime/input/joystick_subsystem.h"
#include "runtime/platform/system.h"

InputDeviceTable input_devices;

namespace {

constexpr char disconnected_mark[] = "[DISCONNECTED]";
constexpr size_t disconnected_mark_length = sizeof disconnected_mark - 1;  // 14
constexpr size_t sdl_name_limit = 1023;  // the name field holds up to 1024 bytes with its terminator

class SdlJoysticks final : public JoystickSource {
public:
    void set_events(bool on) override { SDL_JoystickEventState(on ? SDL_ENABLE : SDL_IGNORE); }
    void start(bool restart) override { start_joystick_subsystem(restart); }
    int count() override { return SDL_NumJoysticks(); }
    void* open(int index) override { return SDL_JoystickOpen(index); }
    void close(void* handle) override { SDL_JoystickClose(joystick(handle)); }
    std::string name(int index) override {
        const char* text = SDL_JoystickName(index);
        return text ? std::string(text) : std::string();
    }
    int buttons(void* handle) override { return SDL_JoystickNumButtons(joystick(handle)); }
    int axes(void* handle) override { return SDL_JoystickNumAxes(joystick(handle)); }
    int balls(void* handle) override { return SDL_JoystickNumBalls(joystick(handle)); }
    int hats(void* handle) override { return SDL_JoystickNumHats(joystick(handle)); }
    void update() override { SDL_JoystickUpdate(); }
    int button(void* handle, int index) override { return SDL_JoystickGetButton(joystick(handle), index); }
    int axis(void* handle, int index) override { return SDL_JoystickGetAxis(joystick(handle), index); }
    int hat(void* handle, int index) override { return SDL_JoystickGetHat(joystick(handle), index); }
    void ball(void* handle, int index, int* dx, int* dy) override {
        if (SDL_JoystickGetBall(joystick(handle), index, dx, dy) != 0) *dx = *dy = 0;
    }

private:
    static SDL_Joystick* joystick(void* handle) { return static_cast<SDL_Joystick*>(handle); }
};

SdlJoysticks sdl_joysticks;
JoystickSource* source = &sdl_joysticks;

int32_t axes_offset(const InputDevice& device) { return device.button_count; }
int32_t wheels_offset(const InputDevice& device) { return device.button_count + 4 * device.axis_count; }

uint8_t* newest_snapshot(InputDevice& device) {
    return device.history.data() + static_cast<size_t>(device.history_count - 1) * device.snapshot_size;
}

float read_float(const uint8_t* at) {
    float value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void write_float(uint8_t* at, float value) { std::memcpy(at, &value, sizeof value); }

std::unique_ptr<InputDevice> new_device(int32_t type, std::string name, int32_t buttons, int32_t axes, int32_t wheels) {
    auto device = std::make_unique<InputDevice>();
    device->connected = 1;
    device->device_type = type;
    device->device_name = std::move(name);
    device->name_complete = 1;
    device->button_count = buttons;
    device->axis_count = axes;
    device->wheel_count = wheels;
    device->snapshot_size = buttons + 4 * axes + 4 * wheels + 8;
    device->history_capacity = 2;
    device->history_count = 2;
    device->history.assign(static_cast<size_t>(2 * device->snapshot_size), 0);
    device->current_buttons = std::make_unique<std::atomic<uint8_t>[]>(static_cast<size_t>(buttons));
    device->current_axes = std::make_unique<std::atomic<float>[]>(static_cast<size_t>(axes));
    for (int32_t i = 0; i < axes; ++i) device->current_axes[i] = 0.0f;
    return device;
}

// Adds a snapshot that is the newest one with change applied to it. The
// history doubles up to 1024 snapshots (256 for the keyboard's large ones);
// beyond that the oldest is dropped.
template <class Change>
void add_snapshot(InputDevice& device, Change&& change) {
    size_t size = static_cast<size_t>(device.snapshot_size);
    if (device.history_count == device.history_capacity) {
        int32_t limit = device.device_type == device_keyboard ? 256 : 1024;
        if (device.history_capacity < limit) {
            device.history_capacity *= 2;
            device.history.resize(static_cast<size_t>(device.history_capacity) * size, 0);
        } else {
            std::memmove(device.history.data(), device.history.data() + size, (device.history_count - 1) * size);
            --device.history_count;
        }
    }
    uint8_t* previous = newest_snapshot(device);
    uint8_t* next = previous + size;
    std::memcpy(next, previous, size);
    uint64_t sequence = ++input_devices.sequence;
    std::memcpy(next + size - 8, &sequence, 8);
    change(next);
    ++device.history_count;
    for (int32_t i = 0; i < device.button_count && device.current_buttons; ++i)
        device.current_buttons[i].store(next[i], std::memory_order_relaxed);
    for (int32_t i = 0; i < device.axis_count && device.current_axes; ++i)
        device.current_axes[i].store(read_float(next + axes_offset(device) + 4 * i), std::memory_order_relaxed);
}

void set_button(InputDevice& device, int button, uint8_t down) {
    add_snapshot(device, [&](uint8_t* snapshot) { snapshot[button] = down; });
}

void set_axis(InputDevice& device, int axis, float value) {
    add_snapshot(device, [&](uint8_t* snapshot) { write_float(snapshot + axes_offset(device) + 4 * axis, value); });
}

void set_axis_pair(InputDevice& device, int first_axis, float x, float y) {
    add_snapshot(device, [&](uint8_t* snapshot) {
        write_float(snapshot + axes_offset(device) + 4 * first_axis, x);
        write_float(snapshot + axes_offset(device) + 4 * (first_axis + 1), y);
    });
}

void set_wheel_pair(InputDevice& device, int first_wheel, float x, float y) {
    add_snapshot(device, [&](uint8_t* snapshot) {
        write_float(snapshot + wheels_offset(device) + 4 * first_wheel, x);
        write_float(snapshot + wheels_offset(device) + 4 * (first_wheel + 1), y);
    });
}

float hat_x(int bits) { return (bits & SDL_HAT_LEFT) ? -1.0f : (bits & SDL_HAT_RIGHT) ? 1.0f : 0.0f; }
float hat_y(int bits) { return (bits & SDL_HAT_UP) ? -1.0f : (bits & SDL_HAT_DOWN) ? 1.0f : 0.0f; }

std::string controller_name(const std::string& sdl_name, int buttons, int axes, int balls, int hats) {
    std::string name = "[CONTROLLER][[NAME][" + sdl_name + "]]";
    if (buttons > 0) name += "[BUTTON]";
    if (axes > 0 || hats > 0) name += "[AXIS]";
    if (balls > 0) name += "[WHEEL]";
    return name;
}

// A controller found again: every value that moved while it was away gets a
// snapshot of its own.
void read_current_state(InputDevice& device) {
    source->update();
    void* handle = device.sdl_handle;
    for (int i = 0; i < device.sdl_buttons; ++i) {
        uint8_t down = source->button(handle, i) ? 1 : 0;
        if (newest_snapshot(device)[i] != down) set_button(device, i, down);
    }
    for (int i = 0; i < device.sdl_axes; ++i) {
        float value = axis_value(source->axis(handle, i));
        if (read_float(newest_snapshot(device) + axes_offset(device) + 4 * i) != value) set_axis(device, i, value);
    }
    for (int i = 0; i < device.sdl_hats; ++i) {
        int bits = source->hat(handle, i);
        int first = device.sdl_axes + 2 * i;
        const uint8_t* newest = newest_snapshot(device) + axes_offset(device);
        if (read_float(newest + 4 * first) != hat_x(bits) || read_float(newest + 4 * (first + 1)) != hat_y(bits))
            set_axis_pair(device, first, hat_x(bits), hat_y(bits));
    }
    for (int i = 0; i < device.sdl_balls; ++i) {
        int dx = 0;
        int dy = 0;
        source->ball(handle, i, &dx, &dy);
        const uint8_t* newest = newest_snapshot(device) + wheels_offset(device);
        if (read_float(newest + 8 * i) != static_cast<float>(dx) || read_float(newest + 8 * i + 4) != static_cast<float>(dy))
            set_wheel_pair(device, 2 * i, static_cast<float>(dx), static_cast<float>(dy));
    }
}

void find_controller(int index) {
    void* handle = source->open(index);
    if (handle == nullptr) return;  // a joystick that cannot be opened is left out
    std::string sdl_name = source->name(index).substr(0, sdl_name_limit);
    int buttons = source->buttons(handle);
    int axes = source->axes(handle);
    int balls = source->balls(handle);
    int hats = source->hats(handle);
    for (auto& record : input_devices.devices) {
        InputDevice& device = *record;
        if (device.device_type != device_controller || device.connected || device.sdl_name != sdl_name ||
            device.sdl_buttons != buttons || device.sdl_axes != axes || device.sdl_balls != balls || device.sdl_hats != hats)
            continue;
        device.sdl_handle = handle;
        device.sdl_index = index;
        device.connected = 1;
        if (device.name_complete == 0) {
            device.name_complete = 1;
            device.device_name.resize(device.device_name.size() - disconnected_mark_length);
        }
        read_current_state(device);
        return;
    }
    auto device = new_device(device_controller, controller_name(sdl_name, buttons, axes, balls, hats), buttons,
                             axes + 2 * hats, 2 * balls);
    device->sdl_name = sdl_name;
    device->sdl_handle = handle;
    device->sdl_index = index;
    device->sdl_buttons = buttons;
    device->sdl_axes = axes;
    device->sdl_balls = balls;
    device->sdl_hats = hats;
    input_devices.devices.push_back(std::move(device));
    input_devices.device_count = static_cast<int32_t>(input_devices.devices.size());
}

InputDevice* controller_by_index(int sdl_index, int* ordinal) {
    int connected = 0;
    for (auto& record : input_devices.devices) {
        InputDevice& device = *record;
        if (device.device_type != device_controller || !device.connected) continue;
        if (device.sdl_index == sdl_index) {
            *ordinal = connected;
            return &device;
        }
        ++connected;
    }
    return nullptr;
}

// The k-th controller record (0-based), connected or not.
InputDevice* nth_controller(int k) {
    for (auto& record : input_devices.devices) {
        if (record->device_type != device_controller) continue;
        if (k-- == 0) return record.get();
    }
    return nullptr;
}

void button_pressed(InputDevice& device, int ordinal, int button) {
    if (ordinal <= 255) {
        size_t trap_index = static_cast<size_t>(ordinal) * strig_traps_per_controller + static_cast<size_t>(button);
        if (trap_index < event_tables.strig.size()) {
            EventTrap& trap = event_tables.strig[trap_index];
            if (trap.has_handler && trap.state == 1) {
                ++trap.pending;
                control.attention_flag = 1;
            }
        }
    }
    set_button(device, button, 1);
    device.button_latch[button].store(1);
}

}  // namespace

void set_joystick_source(JoystickSource* replacement) { source = replacement ? replacement : &sdl_joysticks; }

void reset_input_devices() {
    input_devices.devices.clear();
    input_devices.device_count = 0;
    input_devices.sequence = 0;
    input_devices.subsystem_started = false;
}

float axis_value(int raw) {
    if (raw == -32768) raw = -32767;
    float value = static_cast<float>(raw) / 32767.0f;
    return value < -1.0f ? -1.0f : value > 1.0f ? 1.0f : value;
}

int enumerate_devices() {
    // The main thread must not apply events to the table while it changes;
    // without running threads (start-up, tests) there is nobody to park.
    bool parked = control.threads_started.load() == 1;
    if (parked) {
        control.main_loop_park = 1;
        wake_main_loop();
        while (control.main_loop_park.load() != 2) {
            if (control.exit_flag.load()) return input_devices.device_count;
            sleep_ms(1);
        }
        if (control.exit_flag.load()) return input_devices.device_count;
    }
    if (input_devices.device_count == 0) {
        input_devices.devices.push_back(new_device(device_keyboard, "[KEYBOARD][BUTTON]", 512, 0, 0));
        input_devices.devices.push_back(new_device(device_mouse, "[MOUSE][BUTTON][AXIS][WHEEL]", 3, 2, 3));
        input_devices.device_count = 2;
    }
    source->set_events(false);
    for (auto& record : input_devices.devices) {
        if (record->device_type == device_controller && record->connected && record->sdl_handle) {
            source->close(record->sdl_handle);
            record->sdl_handle = nullptr;
        }
    }
    source->start(input_devices.subsystem_started);
    input_devices.subsystem_started = true;
    for (auto& record : input_devices.devices) {
        if (record->device_type != device_controller) continue;
        record->connected = 0;
        record->sdl_index = -1;
        if (record->name_complete == 1) {
            record->device_name += disconnected_mark;
            record->name_complete = 0;
        }
    }
    int joysticks = source->count();
    for (int index = 0; index < joysticks; ++index) find_controller(index);
    source->set_events(true);
    if (parked) control.main_loop_park = 0;
    return input_devices.device_count;
}

// The table changes only while the main loop is parked (enumerate_devices).
bool controller_connected() {
    for (auto& record : input_devices.devices)
        if (record->device_type == device_controller && record->connected) return true;
    return false;
}

void joystick_event(const SDL_Event& event) {
    int ordinal = 0;
    switch (event.type) {
    case SDL_JOYAXISMOTION: {
        InputDevice* device = controller_by_index(event.jaxis.which, &ordinal);
        if (device && event.jaxis.axis < device->sdl_axes) set_axis(*device, event.jaxis.axis, axis_value(event.jaxis.value));
        break;
    }
    case SDL_JOYBALLMOTION: {
        InputDevice* device = controller_by_index(event.jball.which, &ordinal);
        if (!device || event.jball.ball >= device->sdl_balls) break;
        // Trackball movements are one-shot: the wheels go back to 0 at once.
        set_wheel_pair(*device, 2 * event.jball.ball, event.jball.xrel, event.jball.yrel);
        set_wheel_pair(*device, 2 * event.jball.ball, 0.0f, 0.0f);
        break;
    }
    case SDL_JOYHATMOTION: {
        InputDevice* device = controller_by_index(event.jhat.which, &ordinal);
        if (device && event.jhat.hat < device->sdl_hats)
            set_axis_pair(*device, device->sdl_axes + 2 * event.jhat.hat, hat_x(event.jhat.value), hat_y(event.jhat.value));
        break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
        InputDevice* device = controller_by_index(event.jbutton.which, &ordinal);
        if (!device || event.jbutton.button >= device->sdl_buttons) break;
        if (event.type == SDL_JOYBUTTONDOWN)
            button_pressed(*device, ordinal, event.jbutton.button);
        else
            set_button(*device, event.jbutton.button, 0);
        break;
    }
    default:
        break;
    }
}

int32_t stick(int32_t n, int32_t axis_pair, bool pair_given) {
    if (error_pending()) return 0;
    if (input_devices.device_count == 0) enumerate_devices();
    if (!pair_given) {
        axis_pair = 1;
    } else if (axis_pair < 1 || axis_pair > 65535) {
        raise_error(5);
        return 0;
    }
    if (n < 0 || n > 65535) {
        raise_error(5);
        return 0;
    }
    int axis = 2 * (axis_pair - 1) + (n & 1);
    InputDevice* device = nth_controller(n / 2);
    if (device == nullptr || device->axis_count <= axis) return 128;
    float x = device->current_axes[axis].load(std::memory_order_relaxed);
    if (x > -0.01f && x <= 0.01f) x = 0.0f;  // dead zone: a controller at rest reads exactly 127
    int32_t r = round_to_int32(x * 127.0f) + 127;
    return r < 1 ? 1 : r > 254 ? 254 : r;
}

int32_t strig(int32_t n, int32_t controller, bool controller_given) {
    if (error_pending()) return 0;
    if (input_devices.device_count == 0) enumerate_devices();
    if (n < 0 || n > 65535) {
        raise_error(5);
        return 0;
    }
    if (controller_given) {
        if (controller < 1 || controller > 65535) {
            raise_error(5);
            return 0;
        }
    } else {
        controller = 1;
        if (n & 2) {
            controller = 2;
            n -= 2;
        }
    }
    int button = n / 4 + 1;
    bool latched = (n & 1) == 0;
    InputDevice* device = nth_controller(controller - 1);
    if (device == nullptr || device->button_count < button) return 0;
    if (!latched) return device->current_buttons[button - 1].load(std::memory_order_relaxed) ? -1 : 0;
    // The exchange takes the latch and clears it in one step, so a press that
    // the main thread records at the same moment is not lost.
    if (button <= button_latch_count && device->button_latch[button - 1].exchange(0) != 0) return -1;
    return 0;
}
