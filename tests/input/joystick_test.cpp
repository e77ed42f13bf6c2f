#include <gtest/gtest.h>

#include <cstring>

#include "fake_joysticks.h"
#include "runtime/core/events.h"
#include "runtime/core/runtime_control.h"
#include "runtime/input/joystick.h"

namespace {

// The device table in this process, without threads: nobody to park.
class Joystick : public ::testing::Test {
protected:
    FakeJoysticks fake;

    void SetUp() override {
        reset_runtime_control();
        reset_event_tables();
        reset_input_devices();
        set_joystick_source(&fake);
    }
    void TearDown() override { set_joystick_source(nullptr); }

    void add(const std::string& name, int axes, int buttons, int hats = 0, int balls = 0) {
        fake.controllers.push_back(FakeController{name, std::vector<int>(static_cast<size_t>(axes), 0),
                                                  std::vector<int>(static_cast<size_t>(buttons), 0),
                                                  std::vector<int>(static_cast<size_t>(hats), 0), balls, true});
    }
    static int32_t error_and_clear() {
        int32_t code = control.pending_error.load();
        control.pending_error = 0;
        return code;
    }
    static const InputDevice& device(int number) { return *input_devices.devices[static_cast<size_t>(number - 1)]; }
};

TEST_F(Joystick, WithoutControllerStickGives128AndStrigZero) {
    EXPECT_EQ(stick(0, 0, false), 128);
    EXPECT_EQ(stick(1, 0, false), 128);
    EXPECT_EQ(strig(0, 0, false), 0);
    EXPECT_EQ(strig(1, 0, false), 0);
    EXPECT_EQ(control.pending_error.load(), 0);
    ASSERT_EQ(input_devices.device_count.load(), 2);
    EXPECT_EQ(device(1).device_name, "[KEYBOARD][BUTTON]");
    EXPECT_EQ(device(1).snapshot_size, 520);
    EXPECT_EQ(device(2).device_name, "[MOUSE][BUTTON][AXIS][WHEEL]");
    EXPECT_EQ(device(2).snapshot_size, 3 + 8 + 12 + 8);
    EXPECT_EQ(fake.starts, 1);
}

TEST_F(Joystick, ControllersAreNamedFromWhatTheyHave) {
    add("Pad", 2, 4);
    add("Hat only", 0, 0, 1);
    add("Ball", 0, 1, 0, 1);
    EXPECT_EQ(enumerate_devices(), 5);
    EXPECT_EQ(device(3).device_name, "[CONTROLLER][[NAME][Pad]][BUTTON][AXIS]");
    EXPECT_EQ(device(4).device_name, "[CONTROLLER][[NAME][Hat only]][AXIS]");
    EXPECT_EQ(device(5).device_name, "[CONTROLLER][[NAME][Ball]][BUTTON][WHEEL]");
    EXPECT_EQ(device(4).axis_count, 2);
    EXPECT_EQ(device(5).wheel_count, 2);
    EXPECT_TRUE(fake.events_on);
}

TEST_F(Joystick, AxesMapToOneTo254With127AtRest) {
    add("Pad", 4, 2);
    EXPECT_EQ(stick(0, 0, false), 127);  // a new controller reads the centre until it moves
    joystick_event(axis_event(0, 0, -32768));
    EXPECT_EQ(stick(0, 0, false), 1);
    joystick_event(axis_event(0, 0, -32767));
    EXPECT_EQ(stick(0, 0, false), 1);
    joystick_event(axis_event(0, 0, 32767));
    EXPECT_EQ(stick(0, 0, false), 254);
    joystick_event(axis_event(0, 0, 16384));
    EXPECT_EQ(stick(0, 0, false), 191);
    joystick_event(axis_event(0, 0, -16384));
    EXPECT_EQ(stick(0, 0, false), 63);
    for (int rest : {0, 327, -327, 100, -1}) {
        joystick_event(axis_event(0, 0, rest));
        EXPECT_EQ(stick(0, 0, false), 127) << rest;
    }
    joystick_event(axis_event(0, 0, 330));  // just outside the dead zone: 1.28 rounds to 1
    EXPECT_EQ(stick(0, 0, false), 128);
    joystick_event(axis_event(0, 1, 32767));
    joystick_event(axis_event(0, 2, -32767));
    joystick_event(axis_event(0, 3, 32767));
    EXPECT_EQ(stick(1, 0, false), 254);
    EXPECT_EQ(stick(0, 2, true), 1);
    EXPECT_EQ(stick(1, 2, true), 254);
    EXPECT_EQ(stick(0, 3, true), 128);  // the first controller has no third pair
}

TEST_F(Joystick, SecondControllerAnswersStickTwoAndThree) {
    add("One", 2, 1);
    add("Two", 2, 1);
    enumerate_devices();
    joystick_event(axis_event(1, 0, 32767));
    joystick_event(axis_event(1, 1, -32767));
    EXPECT_EQ(stick(0, 0, false), 127);
    EXPECT_EQ(stick(2, 0, false), 254);
    EXPECT_EQ(stick(3, 0, false), 1);
    EXPECT_EQ(stick(4, 0, false), 128);
}

TEST_F(Joystick, LatchAnswersOncePerPressAndCurrentModeWhileHeld) {
    add("One", 2, 2);
    add("Two", 2, 1);
    enumerate_devices();
    joystick_event(button_event(0, 0, true));
    EXPECT_EQ(strig(1, 0, false), -1);
    EXPECT_EQ(strig(0, 0, false), -1);
    EXPECT_EQ(strig(0, 0, false), 0);  // still held, but asked already
    EXPECT_EQ(strig(1, 0, false), -1);
    joystick_event(button_event(0, 0, false));
    EXPECT_EQ(strig(1, 0, false), 0);
    EXPECT_EQ(strig(0, 0, false), 0);
    joystick_event(button_event(0, 0, true));
    joystick_event(button_event(0, 0, false));
    EXPECT_EQ(strig(0, 0, false), -1);  // a press between two questions is not lost
    joystick_event(button_event(0, 1, true));
    EXPECT_EQ(strig(4, 0, false), -1);
    EXPECT_EQ(strig(5, 0, false), -1);
    joystick_event(button_event(1, 0, true));
    EXPECT_EQ(strig(3, 0, false), -1);
    EXPECT_EQ(strig(2, 0, false), -1);
    EXPECT_EQ(strig(0, 2, true), 0);  // latch of controller 2 already taken
    EXPECT_EQ(strig(8, 0, false), 0);  // no third button
}

TEST_F(Joystick, HatsAreTwoAxesAfterTheStickAxes) {
    add("Pad", 2, 1, 1);
    enumerate_devices();
    EXPECT_EQ(device(3).axis_count, 4);
    joystick_event(hat_event(0, 0, SDL_HAT_LEFTUP));
    EXPECT_EQ(stick(0, 2, true), 1);
    EXPECT_EQ(stick(1, 2, true), 1);
    joystick_event(hat_event(0, 0, SDL_HAT_RIGHTDOWN));
    EXPECT_EQ(stick(0, 2, true), 254);
    EXPECT_EQ(stick(1, 2, true), 254);
    joystick_event(hat_event(0, 0, SDL_HAT_CENTERED));
    EXPECT_EQ(stick(0, 2, true), 127);
    EXPECT_EQ(stick(0, 0, false), 127);  // the stick's own axes did not move
}

TEST_F(Joystick, TrackballMovementIsOneShot) {
    add("Ball", 0, 1, 0, 1);
    enumerate_devices();
    const InputDevice& ball = device(3);
    joystick_event(ball_event(0, 0, 5, -3));
    ASSERT_EQ(ball.history_count, 4);
    auto wheel = [&](int snapshot, int index) {
        float value;
        std::memcpy(&value, ball.history.data() + snapshot * ball.snapshot_size + ball.button_count + 4 * index, 4);
        return value;
    };
    EXPECT_EQ(wheel(2, 0), 5.0f);
    EXPECT_EQ(wheel(2, 1), -3.0f);
    EXPECT_EQ(wheel(3, 0), 0.0f);
    EXPECT_EQ(wheel(3, 1), 0.0f);
}

TEST_F(Joystick, OutOfRangeArgumentsRaiseIllegalFunctionCall) {
    add("Pad", 2, 1);
    EXPECT_EQ(stick(-1, 0, false), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(stick(65536, 0, false), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(stick(0, 0, true), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(stick(0, 65536, true), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(strig(-1, 0, false), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(strig(65536, 0, false), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(strig(0, 0, true), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(strig(0, 65536, true), 0);
    EXPECT_EQ(error_and_clear(), 5);
    EXPECT_EQ(stick(65535, 65535, true), 128);  // the largest legal arguments name no controller
    EXPECT_EQ(error_and_clear(), 0);
    control.pending_error = 7;
    EXPECT_EQ(stick(0, 0, false), 0);  // nothing runs while an error waits
}

TEST_F(Joystick, EventsForUnknownControllersOrPartsAreIgnored) {
    add("Pad", 2, 2);
    enumerate_devices();
    uint64_t sequence = input_devices.sequence;
    joystick_event(axis_event(7, 0, 32767));
    joystick_event(axis_event(0, 2, 32767));
    joystick_event(button_event(0, 9, true));
    joystick_event(hat_event(0, 0, SDL_HAT_UP));
    joystick_event(ball_event(0, 0, 1, 1));
    EXPECT_EQ(input_devices.sequence, sequence);
    EXPECT_EQ(stick(0, 0, false), 127);
}

TEST_F(Joystick, DisconnectedControllerIsFoundAgainByName) {
    add("Pad", 2, 1);
    enumerate_devices();
    joystick_event(axis_event(0, 0, 32767));
    fake.controllers[0].plugged = false;
    EXPECT_EQ(enumerate_devices(), 3);
    EXPECT_EQ(device(3).connected, 0);
    EXPECT_EQ(device(3).device_name, "[CONTROLLER][[NAME][Pad]][BUTTON][AXIS][DISCONNECTED]");
    EXPECT_EQ(stick(0, 0, false), 254);  // a disconnected controller keeps its last state
    joystick_event(axis_event(0, 0, -32767));
    EXPECT_EQ(stick(0, 0, false), 254);  // and hears nothing any more
    EXPECT_EQ(fake.closes, 1);

    // Another controller takes index 0 meanwhile; then the first one returns
    // with its stick pushed the other way and its button down.
    add("Wheel", 1, 0);
    fake.controllers[0].plugged = true;
    fake.controllers[0].axes[0] = -32767;
    fake.controllers[0].buttons[0] = 1;
    EXPECT_EQ(enumerate_devices(), 4);
    EXPECT_EQ(device(3).connected, 1);
    EXPECT_EQ(device(3).name_complete, 1);
    EXPECT_EQ(device(3).device_name, "[CONTROLLER][[NAME][Pad]][BUTTON][AXIS]");
    EXPECT_EQ(device(4).device_name, "[CONTROLLER][[NAME][Wheel]][AXIS]");
    EXPECT_EQ(stick(0, 0, false), 1);
    EXPECT_EQ(strig(1, 0, false), -1);
    EXPECT_EQ(strig(0, 0, false), 0);  // being down on return is no press
    EXPECT_EQ(fake.restarts, 2);
}

TEST_F(Joystick, HistoryGrowsToItsLimitThenDropsTheOldest) {
    add("Pad", 2, 1);
    enumerate_devices();
    for (int i = 0; i < 2000; ++i) joystick_event(axis_event(0, 0, i));
    const InputDevice& pad = device(3);
    EXPECT_EQ(pad.history_capacity, 1024);
    EXPECT_EQ(pad.history_count, 1024);
    uint64_t previous = 0;
    for (int i = 0; i < pad.history_count; ++i) {
        uint64_t sequence;
        std::memcpy(&sequence, pad.history.data() + (i + 1) * pad.snapshot_size - 8, 8);
        if (i > 0) {
            EXPECT_EQ(sequence, previous + 1);
        }
        previous = sequence;
    }
    EXPECT_EQ(previous, input_devices.sequence);
    float newest;
    std::memcpy(&newest, pad.history.data() + 1023 * pad.snapshot_size + pad.button_count, 4);
    EXPECT_EQ(newest, axis_value(1999));
}

TEST_F(Joystick, ButtonWithLiveOnStrigTrapCountsAnEvent) {
    add("Pad", 2, 2);
    enumerate_devices();
    event_tables.strig.resize(strig_traps_per_controller);
    event_tables.strig[1].has_handler = 1;
    event_tables.strig[1].state = 1;
    joystick_event(button_event(0, 0, true));
    EXPECT_EQ(control.attention_flag.load(), 0);
    joystick_event(button_event(0, 1, true));
    EXPECT_EQ(event_tables.strig[1].pending, 1);
    EXPECT_EQ(control.attention_flag.load(), 1);
}

}  // namespace
