// Fresh runtime state for the screen tests: tables, palettes and fonts
// loaded, the start-up text screen made, no error pending.
#pragma once

#include <gtest/gtest.h>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_runtime_control();
        screen_start_tables();
        screen_start();
        text_output_state = TextOutputState{};
    }
    void TearDown() override { reset_runtime_control(); }

    static void screen(int32_t mode) { set_screen_mode(mode, 0, 0, 0, 0, 1); }
    static int32_t error() { return control.pending_error.load(); }
    static void clear_error() {
        control.pending_error = 0;
        control.attention_flag = 0;
    }
    static ScreenImage& out() { return *write_image_record(); }
    static uint8_t pixel(int x, int y) { return out().pixels[y * out().width + x]; }
};
