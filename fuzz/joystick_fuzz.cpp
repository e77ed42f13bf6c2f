// Any sequence of controller events (indexes that no controller has
// included), unplugging, re-enumeration, STICK and STRIG with any arguments:
// nothing reads or writes outside the table, STICK answers 0 (with error 5),
// 1..254 or 128, and STRIG 0 or -1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/core/events.h"
#include "runtime/core/runtime_control.h"
#include "runtime/input/joystick.h"
#include "tests/input/fake_joysticks.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

int32_t argument(const uint8_t* at) {
    // Mostly small values, sometimes anything.
    int32_t value = static_cast<int32_t>(at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24));
    return (at[3] & 0x80) ? value : value % 70;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeJoysticks fake;
    fake.controllers = {FakeController{"Pad", {0, 0, 0}, {0, 0}, {0}, 1, true},
                        FakeController{"Stick", {0, 0}, {0}, {}, 0, true}};
    reset_runtime_control();
    reset_event_tables();
    event_tables.strig.resize(2 * strig_traps_per_controller, EventTrap{1, 1, 0});
    reset_input_devices();
    set_joystick_source(&fake);
    enumerate_devices();
    for (size_t i = 0; i + 10 <= size; i += 10) {
        const uint8_t* step = data + i;
        int which = step[1] % 4;
        int part = step[2] % 5;
        int value = static_cast<int16_t>(step[3] | (step[4] << 8));
        switch (step[0] % 9) {
        case 0: joystick_event(axis_event(which, part, value)); break;
        case 1: joystick_event(hat_event(which, part, value & 15)); break;
        case 2: joystick_event(button_event(which, part, true)); break;
        case 3: joystick_event(button_event(which, part, false)); break;
        case 4: joystick_event(ball_event(which, part, value, -value)); break;
        case 5:
            fake.controllers[step[1] % 2].plugged = !fake.controllers[step[1] % 2].plugged;
            enumerate_devices();
            break;
        case 6: {
            int32_t r = stick(argument(step + 2), argument(step + 6), step[1] & 1);
            check(r == 128 || (r >= 0 && r <= 254));
            check((r == 0) == (control.pending_error.load() != 0));
            control.pending_error = 0;
            break;
        }
        case 7: {
            int32_t r = strig(argument(step + 2), argument(step + 6), step[1] & 1);
            check(r == 0 || r == -1);
            control.pending_error = 0;
            break;
        }
        default:
            for (auto& device : input_devices.devices) check(device->history_count <= device->history_capacity);
            break;
        }
    }
    set_joystick_source(nullptr);
    return 0;
}
