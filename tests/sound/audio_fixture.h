// In-process tests that open the audio device on SDL's dummy driver. Each
// test closes it again, so that a runtime child forked later starts without
// an open device.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "runtime/core/runtime_control.h"
#include "runtime/sound/sound_queue.h"
#include "runtime/sound/sound_table.h"

class AudioDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        reset_runtime_control();
        reset_sound_queue();
        open_audio();
    }
    void TearDown() override {
        close_audio();
        reset_runtime_control();
    }

    // Runs the main thread's queue step every 5 ms until done() or timeout.
    static bool step_until(const std::function<bool()>& done, uint32_t timeout_ms = 3000) {
        uint32_t start = SDL_GetTicks();
        while (!done()) {
            if (SDL_GetTicks() - start > timeout_ms) return false;
            sound_queue_step();
            SDL_Delay(5);
        }
        return true;
    }

    static const SoundSlot* slot_of(int32_t handle) {
        int index = find_sound_slot(handle);
        return index < 0 ? nullptr : &sound_table[index];
    }
};
