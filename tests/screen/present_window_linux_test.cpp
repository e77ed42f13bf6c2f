// The presentation in a real X window: an X server of its own (Xvfb, screen
// 1024 x 768 x 24), screenshots taken with ImageMagick's import, keys typed
// and clicks made with xdotool. Skipped where Xvfb cannot start.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/platform/dialog.h"
#include "runtime/screen/dialog_view.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/present.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/window_scale.h"
#include "game/x_session.h"
#include "screen/present_helpers.h"
#include "support/runtime_child.h"
#include "support/sdl_library.h"
#include "support/x_server.h"

// The X library keeps a few strings of its own (from key translation) until
// the process ends; the leak checker of the sanitizer build is told so.

namespace {

bool tools_present() { return std::system("command -v import >/dev/null && command -v xdotool >/dev/null") == 0; }

ChildOptions on_display(const std::string& display) {
    ChildOptions options;
    options.environment = {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}};
    options.timeout_ms = 30000;
    return options;
}


// The window's X id, found by its caption.
std::string window_shot_name() {
    std::string id;
    if (FILE* pipe = popen("xdotool search --name Untitled 2>/dev/null", "r")) {
        char line[64];
        if (std::fgets(line, sizeof line, pipe)) id = line;
        pclose(pipe);
    }
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    return id.empty() ? "none" : id;
}

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    uint32_t at(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    }
};

// A screenshot of the window (or of the whole screen) as it is on the X
// server, read with XGetImage.
Shot screenshot(const std::string& which) {
    Shot shot;
    const char* display = std::getenv("DISPLAY");
    std::string ppm = capture_ppm(display ? display : "", which);
    int maxval = 0, consumed = 0;
    if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &shot.width, &shot.height, &maxval, &consumed) != 3 || maxval != 255)
        return Shot{};
    size_t base = static_cast<size_t>(consumed) + 1;
    shot.rgb.assign(ppm.begin() + std::min(base, ppm.size()), ppm.end());
    if (shot.rgb.size() != static_cast<size_t>(shot.width) * shot.height * 3) return Shot{};
    return shot;
}

// Differences between a screenshot and the display image drawn through its
// palette at (ox, oy) repeat x repeat, black around it.
std::string compare_with_image(const Shot& shot, int ox, int oy, int repeat) {
    int mismatches = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) != expected_picture_colour(x, y, ox, oy, repeat)) ++mismatches;
    return std::to_string(shot.width) + "x" + std::to_string(shot.height) + " mismatches " + std::to_string(mismatches);
}

// The comparison once the window shows the picture: a window that has just
// changed size may show the old picture for a few frames, more of them on a
// slow machine. Gives the last comparison after about ten seconds.
std::string settled_comparison(const std::string& which, int ox, int oy, int repeat) {
    std::string result;
    for (int attempt = 0; attempt < 20; ++attempt) {
        result = compare_with_image(screenshot(which), ox, oy, repeat);
        if (result.ends_with(" mismatches 0")) break;
        wait_presentations(15);
    }
    return result;
}



// In the child, from mode 13 in the window: full screen (in_full_screen
// reports what it shows), back to the window with the picture drawn
// window_repeat times each way ("back:"), then SCREEN 12 in a window of its
// own size ("mode12:"), and the end.
// The full-screen picture, doubled and centred on the 1024x768 screen. On
// sdl12-compat full screen is a desktop-sized window that SDL 2 scales, which
// cannot be read back without a window manager: there the surface must at
// least be one of the listed modes.
void report_full_screen_picture() {
    if (!sdl12_compat_loaded()) {
        child_report("full:" + settled_comparison("root", 192, 184, 2));
        return;
    }
    bool listed = false;
    hold_main_loop([&] {
        for (const ModeSize& mode : presentation.fullscreen_modes)
            listed |= mode.width == presentation.window_width && mode.height == presentation.window_height;
    });
    child_report(std::string("full surface listed:") + (listed ? "yes" : "no"));
}

[[noreturn]] void full_screen_and_back_then_mode12(int window_repeat, void (*in_full_screen)()) {
    set_fullscreen(2);
    wait_presentations(3);
    in_full_screen();
    set_fullscreen(1);
    wait_presentations(3);
    child_report("back:" + settled_comparison(window_shot_name(), 0, 0, window_repeat));
    screen(12);
    draw_test_pattern();
    wait_presentations(3);
    child_report("mode12:" + settled_comparison(window_shot_name(), 0, 0, 1));
    system_exit();
}

void xdotool(const std::string& arguments) {
    std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    (void)status;
}

// The dialog as it should look in a surface of the window's size, each unit
// of its layout scale x scale pixels.
DialogLayout expected_dialog(int width, int height, std::vector<uint32_t>* frame, int scale = 1) {
    DialogLayout layout = layout_dialog(dialog_state.caption, dialog_state.text, dialog_state.buttons, width / scale, height / scale);
    frame->assign(static_cast<size_t>(width) * height, 0);
    draw_dialog(layout, font8x16, {frame->data(), width, height, width}, scale);
    // The program thread writes the next dialog's text once this one is
    // answered through the X server, an order the race detector cannot see;
    // handing over to the main loop, which takes the answer, shows it.
    hold_main_loop([] {});
    return layout;
}

int dialog_mismatches(const Shot& shot, const DialogLayout& layout, const std::vector<uint32_t>& frame, int scale = 1) {
    if (shot.width <= 0) return -1;
    int mismatches = 0;
    const DialogRect& box = layout.box;
    for (int y = box.y * scale; y < (box.y + box.height) * scale && y < shot.height; ++y)
        for (int x = box.x * scale; x < (box.x + box.width) * scale && x < shot.width; ++x)
            if (shot.at(x, y) != (frame[static_cast<size_t>(y) * shot.width + x] & 0xFFFFFF)) ++mismatches;
    return mismatches;
}

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tools_present()) GTEST_SKIP() << "import or xdotool missing";
        server_ = std::make_unique<XServer>();
        if (server_->display().empty()) GTEST_SKIP() << "Xvfb could not start";
    }
    std::unique_ptr<XServer> server_;
};

}  // namespace

// On sdl12-compat the full-screen picture cannot be read back (see
// compat_full_screen_reason); there the full-screen surface is checked to be
// one of the listed modes instead, and the window before and after is
// compared as everywhere.
TEST_F(RealWindow, ScreenModesAndFullScreenLookAsTheEmulatedPixels) {
    const bool compat = sdl12_compat_loaded();
    ChildResult result = run_runtime_child(
        [] {
            child_report("modes:" + std::to_string(presentation.fullscreen_modes.size()));
            child_report(std::string("modes listed:") + (presentation.fullscreen_modes.empty() ? "no" : "yes"));
            screen(13);
            draw_test_pattern();
            wait_presentations(3);
            child_report("mode13:" + settled_comparison(window_shot_name(), 0, 0, 1));
            child_report("pointer window:" + std::to_string(SDL_ShowCursor(SDL_QUERY)));
            full_screen_and_back_then_mode12(1, [] {
                child_report("state:" + std::to_string(presentation.fullscreen_state.load()));
                report_full_screen_picture();
                child_report("pointer full:" + std::to_string(SDL_ShowCursor(SDL_QUERY)));
            });
        },
        on_display(server_->display()));
    expect_reports(result, {"modes listed:yes", "mode13:320x200 mismatches 0", "pointer window:1", "state:1", "pointer full:0", "back:320x200 mismatches 0", "mode12:640x480 mismatches 0"});
    if (compat) {
        std::printf("full screen not compared: %s\n", compat_full_screen_reason);
        expect_reports(result, {"full surface listed:yes"});
    } else {
        expect_reports(result, {"modes:1", "full:1024x768 mismatches 0"});
    }
}

TEST_F(RealWindow, DialogAppearsInTheWindowAndItsKeysAndButtonsAnswer) {
    ChildResult result = run_runtime_child(
        [] {
            screen(13);
            draw_test_pattern();
            wait_presentations(2);
            std::thread([] {
                std::string window = window_shot_name();
                std::vector<uint32_t> frame;
                // First dialog: checked in a screenshot, answered Y.
                while (!dialog_is_open()) SDL_Delay(2);
                wait_presentations(3);
                DialogLayout layout = expected_dialog(320, 200, &frame);
                child_report("dialog one:" + std::to_string(dialog_mismatches(screenshot(window), layout, frame)));
                xdotool("windowfocus --sync " + window);
                xdotool("key --window " + window + " y");
                // Second: Enter.
                SDL_Delay(100);
                while (!dialog_is_open()) SDL_Delay(2);
                wait_presentations(2);
                xdotool("key --window " + window + " Return");
                // Third, in full screen: checked, then a click on No. Where
                // full screen cannot be read back, answered with N.
                SDL_Delay(100);
                while (!dialog_is_open()) SDL_Delay(2);
                wait_presentations(3);
                if (sdl12_compat_loaded()) {
                    child_report("dialog full:open");
                    xdotool("key --window " + window + " n");
                    return;
                }
                layout = expected_dialog(1024, 768, &frame);
                child_report("dialog full:" + std::to_string(dialog_mismatches(screenshot("root"), layout, frame)));
                const DialogRect& no = layout.buttons[1].rect;
                xdotool("mousemove " + std::to_string(no.x + no.width / 2) + " " + std::to_string(no.y + no.height / 2) + " click 1");
            }).detach();
            raise_error(5);
            statement_step(312);
            child_report("continued after Y");
            raise_error(13);
            statement_step(400);
            child_report("continued after Enter");
            set_fullscreen(2);
            raise_error(6);
            statement_step(500);
            child_report("continued after No");
        },
        on_display(server_->display()));
    EXPECT_EQ(result.status, 0) << result.stderr_text;
    expect_reports(result, {"dialog one:0", "continued after Y", "continued after Enter", sdl12_compat_loaded() ? "dialog full:open" : "dialog full:0"});
    EXPECT_FALSE(result.reported("continued after No"));
}

// SDL drops the window system's queued events when it switches between
// window and full screen. A close request that is already waiting when a
// switch is due must not go with them: with exit handling on, the close is
// recorded instead of ending the program, so every round can check it.
// The main loop is parked while the request arrives, so that it waits unread
// until the switch is due; a pass that drains before it presents sees the
// request anyway, which is why there are several rounds.
TEST_F(RealWindow, CloseRequestWaitingWhenTheDisplaySwitchesIsNotLost) {
    ChildResult result = run_runtime_child(
        [] {
            control.exit_handling_enabled = 1;
            screen(13);
            wait_presentations(3);
            const std::string window = window_shot_name();
            const char* display = std::getenv("DISPLAY");
            int seen = 0;
            constexpr int rounds = 6;
            for (int round = 0; round < rounds; ++round) {
                control.main_loop_park = 1;
                while (control.main_loop_park.load() != 2) SDL_Delay(1);
                if (!send_close_request(display ? display : "", window)) child_report("close request not sent");
                SDL_Delay(200);
                presentation.fullscreen_request = round % 2 == 0 ? fullscreen_best_fit : fullscreen_windowed;
                control.main_loop_park = 0;
                for (int i = 0; i < 100 && (control.exit_request_bits.load() & 1) == 0; ++i) SDL_Delay(10);
                seen += control.exit_request_bits.exchange(0) & 1;
                wait_presentations(2);
            }
            child_report("closes seen:" + std::to_string(seen) + " of " + std::to_string(rounds));
            system_exit();
        },
        on_display(server_->display()));
    expect_reports(result, {"closes seen:6 of 6"});
}

// --scale 3 on the 1024 x 768 desktop: mode 13 in a 960 x 600 window, every
// pixel a 3 x 3 block; the dialog three times as large, answered by a click
// where its button shows; full screen as without the option, and back to
// the scaled window; SCREEN 12 in the largest window that fits, 640 x 480.
TEST_F(RealWindow, ScaledWindowRepeatsEveryPixelAndTheDialogGrowsWithIt) {
    window_scale.requested = 3;
    ChildResult result = run_runtime_child(
        [] {
            child_report("desktop:" + std::to_string(window_scale.desktop_width) + "x" + std::to_string(window_scale.desktop_height));
            screen(13);
            draw_test_pattern();
            wait_presentations(3);
            const std::string window = window_shot_name();
            child_report("mode13:" + settled_comparison(window, 0, 0, 3));
            std::thread([window] {
                while (!dialog_is_open()) SDL_Delay(2);
                wait_presentations(3);
                std::vector<uint32_t> frame;
                DialogLayout layout = expected_dialog(960, 600, &frame, 3);
                child_report("dialog:" + std::to_string(dialog_mismatches(screenshot(window), layout, frame, 3)));
                const DialogRect& yes = layout.buttons[0].rect;
                xdotool("mousemove --window " + window + " " + std::to_string((yes.x + yes.width / 2) * 3) + " " +
                        std::to_string((yes.y + yes.height / 2) * 3) + " click 1");
            }).detach();
            raise_error(5);
            statement_step(312);
            child_report("continued after a click on Yes");
            wait_presentations(3);
            child_report("after the dialog:" + settled_comparison(window, 0, 0, 3));
            full_screen_and_back_then_mode12(3, report_full_screen_picture);
        },
        on_display(server_->display()));
    reset_window_scale();
    expect_reports(result, {"desktop:1024x768", "mode13:960x600 mismatches 0", "dialog:0", "continued after a click on Yes",
                            "after the dialog:960x600 mismatches 0", "back:960x600 mismatches 0", "mode12:640x480 mismatches 0"});
    expect_reports(result, {sdl12_compat_loaded() ? "full surface listed:yes" : "full:1024x768 mismatches 0"});
}
