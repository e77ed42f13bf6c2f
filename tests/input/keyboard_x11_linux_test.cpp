#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "key_reading.h"
#include "runtime/core/end_program.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/input/keyboard.h"
#include "support/runtime_child.h"
#include "support/sdl_library.h"
#include "support/x_server.h"

namespace {

// Keys typed through a real X server into the program's real window: the
// window system's own translation (Unicode, modifiers, the keypad) meets the
// key table.

TEST(KeyboardX11, TypedKeysReachInkeyAsTheirPcCodes) {
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    XServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb could not be started";

    ChildOptions options;
    options.environment = {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", server.display()}};
    ChildResult result = run_runtime_child(
        [] {
            focus_own_window();
            std::string keys;
            command_output(
                "xdotool key --delay 40 a shift+a ctrl+a alt+a Up Down Left Right F1 Escape Return BackSpace 2>/dev/null");
            for (int i = 0; i < 12; ++i) keys += read_key_hex(3000) + " ";
            // For the e with acute, which has no key on the server's layout,
            // xdotool lends a spare key code for a moment; SDL 2 does not
            // follow such a change, so on sdl12-compat it is typed on a
            // French layout, which has a key for it. SDL 2 takes a new layout
            // only as its events arrive, later on a loaded machine: q, on the
            // US layout's a key there, shows when it has.
            if (sdl12_compat_loaded()) {
                command_output("setxkbmap fr");
                std::string probe;
                for (int i = 0; i < 50 && probe != "71"; ++i) {
                    command_output("xdotool key q 2>/dev/null");
                    probe = read_key_hex(1000);
                }
                command_output("xdotool key eacute 2>/dev/null; setxkbmap us");
            } else {
                command_output("xdotool key --delay 40 eacute 2>/dev/null");
            }
            // Keypad 6 and 5 are typed by their Num Lock off keysyms: for KP_6
            // itself xdotool would press Num Lock, a key that ends an Alt code.
            command_output("xdotool keydown alt key --delay 40 KP_Right KP_Begin keyup alt 2>/dev/null");
            for (int i = 0; i < 2; ++i) keys += read_key_hex(3000) + " ";
            child_report("keys:" + keys);
            system_exit();
        },
        options);
    EXPECT_EQ(result.status, 0);
    ASSERT_TRUE(result.reported("window:found")) << result.stderr_text;
    EXPECT_TRUE(result.reported("keys:61 41 01 001e 0048 0050 004b 004d 003b 1b 0d 08 82 41 "))
        << (result.reports.size() > 1 ? result.reports[1] : std::string());
}

}  // namespace
