// The presentation inside a running runtime, on SDL's dummy video driver:
// its surface is real memory, so the pictures can be checked pixel by pixel.
#include "runtime/screen/present.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/platform/dialog.h"
#include "runtime/screen/dialog_view.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "screen/present_helpers.h"
#include "support/runtime_child.h"

namespace {

// Returns once at least count whole presentations began after the call (the
// counter moves at a presentation's start).

// Runs work while the main thread is parked, so that the mode list can be
// changed under it.
template <typename Work>
void with_main_loop_parked(Work work) {
    control.main_loop_park = 1;
    while (control.main_loop_park.load() != 2) SDL_Delay(1);
    work();
    control.main_loop_park = 0;
}

void set_modes(std::vector<ModeSize> modes) {
    with_main_loop_parked([&] { presentation.fullscreen_modes = std::move(modes); });
}

std::string surface_size() {
    SDL_Surface* s = SDL_GetVideoSurface();
    if (!s) return "none";
    return std::to_string(s->w) + "x" + std::to_string(s->h) + ((s->flags & SDL_FULLSCREEN) ? " full" : " window");
}

// The window surface as it is between two iterations of the main loop.
struct SurfaceShot {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x] & 0xFFFFFF; }
};

SurfaceShot surface_shot() {
    SurfaceShot shot;
    hold_main_loop([&] {
        SDL_Surface* s = SDL_GetVideoSurface();
        shot.w = s->w;
        shot.h = s->h;
        for (int y = 0; y < s->h; ++y) {
            const uint32_t* row = static_cast<const uint32_t*>(s->pixels) + static_cast<size_t>(y) * (s->pitch / 4);
            shot.pixels.insert(shot.pixels.end(), row, row + s->w);
        }
    });
    return shot;
}

// Counts surface pixels that differ from the display image drawn through its
// palette at (ox, oy), repeat x repeat, and from black elsewhere.
int picture_mismatches(int ox, int oy, int repeat) {
    SurfaceShot shot = surface_shot();
    int mismatches = 0;
    for (int y = 0; y < shot.h; ++y)
        for (int x = 0; x < shot.w; ++x)
            if (shot.at(x, y) != expected_picture_colour(x, y, ox, oy, repeat)) ++mismatches;
    return mismatches;
}


void report_picture(const char* name, int ox, int oy, int repeat) {
    child_report(std::string(name) + ":" + surface_size() + " mismatches " + std::to_string(picture_mismatches(ox, oy, repeat)));
}


}  // namespace

TEST(Presentation, WindowFollowsTheScreenModeAndShowsItsPixelsThroughThePalette) {
    ChildResult result = run_runtime_child([] {
        wait_presentations(2);
        child_report("text:" + surface_size());
        screen(13);
        draw_test_pattern();
        display_image_record()->palette[7] = 0xFF123456;
        wait_presentations(2);
        report_picture("mode13", 0, 0, 1);
        screen(12);
        draw_test_pattern();
        wait_presentations(2);
        report_picture("mode12", 0, 0, 1);
        child_report("pointer:" + std::to_string(SDL_ShowCursor(SDL_QUERY)));
        system_exit();
    });
    expect_reports(result, {"text:640x400 window", "mode13:320x200 window mismatches 0", "mode12:640x480 window mismatches 0", "pointer:1"});
}

TEST(Presentation, UnchangedFramesLeaveTheWindowAloneAndChangesAreShown) {
    ChildResult result = run_runtime_child([] {
        screen(13);
        wait_presentations(3);
        int32_t updates = presentation.surface_updates.load();
        wait_presentations(4);
        child_report("idle updates:" + std::to_string(presentation.surface_updates.load() - updates));
        emulated_memory[mode13_pixels_offset + 5 * 320 + 9] = 40;
        wait_presentations(2);
        child_report("pixel:" + std::to_string(surface_shot().at(9, 5) == 0xFF0000));
        display_image_record()->palette[40] = 0xFF00FF00;
        wait_presentations(2);
        child_report("palette:" + std::to_string(surface_shot().at(9, 5) == 0x00FF00));
        // An entry above the used ones is no change for a 16-colour screen.
        screen(12);
        wait_presentations(3);
        updates = presentation.surface_updates.load();
        display_image_record()->palette[200] = 0xFFFFFFFF;
        wait_presentations(3);
        child_report("unused entry updates:" + std::to_string(presentation.surface_updates.load() - updates));
        system_exit();
    });
    expect_reports(result, {"idle updates:0", "pixel:1", "palette:1", "unused entry updates:0"});
}

TEST(Presentation, FullScreenDoublesAndCentresAndFallsBack) {
    ChildResult result = run_runtime_child([] {
        screen(13);
        draw_test_pattern();
        set_modes({{1024, 768}, {800, 600}, {640, 480}});
        int32_t sets = presentation.video_mode_sets.load();
        set_fullscreen(1);  // already windowed: nothing happens
        child_report("same state sets:" + std::to_string(presentation.video_mode_sets.load() - sets));
        set_fullscreen(2);
        wait_presentations(2);
        child_report("state:" + std::to_string(presentation.fullscreen_state.load()));
        report_picture("full13", 0, 40, 2);
        child_report("pointer full:" + std::to_string(SDL_ShowCursor(SDL_QUERY)));
        // The 4:3 mode is the best fit itself: the request ends in best fit.
        set_fullscreen(3);
        child_report("four three state:" + std::to_string(presentation.fullscreen_state.load()));
        screen(12);
        draw_test_pattern();
        wait_presentations(2);
        report_picture("full12", 0, 0, 1);
        set_fullscreen(1);
        wait_presentations(2);
        report_picture("back", 0, 0, 1);
        child_report("pointer window:" + std::to_string(SDL_ShowCursor(SDL_QUERY)));
        // Alt+Enter twice: best fit (640 x 400), then 4:3 (1024 x 768), one step a frame.
        screen(13);
        draw_test_pattern();
        set_modes({{1024, 768}, {640, 400}});
        alt_enter_count += 2;
        std::string states = "0";
        for (int i = 0; i < 2000 && states.back() != '2'; ++i) {
            char now = static_cast<char>('0' + presentation.fullscreen_state.load());
            if (now != states.back()) states += now;
            SDL_Delay(1);
        }
        child_report("alt states:" + states);
        wait_presentations(2);
        report_picture("alt43", 192, 184, 2);
        alt_enter_count += 1;
        wait_presentations(2);
        child_report("cycled:" + std::to_string(presentation.fullscreen_state.load()));
        // No modes at all: full-screen requests leave the window as it is.
        set_modes({});
        set_fullscreen(2);
        set_fullscreen(3);
        wait_presentations(2);
        report_picture("nomodes", 0, 0, 1);
        system_exit();
    });
    expect_reports(result, {"same state sets:0", "state:1", "full13:640x480 full mismatches 0", "pointer full:0", "four three state:1", "full12:640x480 full mismatches 0", "back:640x480 window mismatches 0", "pointer window:1", "alt states:012", "alt43:1024x768 full mismatches 0", "cycled:0", "nomodes:320x200 window mismatches 0"});
}

TEST(Presentation, ModeChangesDuringPresentationEndInTheRightPicture) {
    // Every change waits for the main loop's next presentation; on a loaded
    // machine under the sanitizers forty of them can take well over the
    // usual bound, which is only there to catch a hang.
    ChildOptions options;
    options.timeout_ms = 90000;
    ChildResult result = run_runtime_child([] {
        for (int i = 0; i < 40; ++i) {
            screen(i % 2 ? 12 : 13);
            draw_test_pattern();
            SDL_Delay(i % 7);
        }
        screen(13);
        draw_test_pattern();
        wait_presentations(2);
        report_picture("settled", 0, 0, 1);
        system_exit();
    }, options);
    ASSERT_TRUE(result.exited) << result.stderr_text;
    EXPECT_TRUE(result.reported("settled:320x200 window mismatches 0")) << result.stderr_text;
}

TEST(Presentation, TextScreenShowsCellsInTheirColours) {
    ChildResult result = run_runtime_child([] {
        uint8_t* cells = display_image_record()->pixels;
        cells[0] = 'A';
        cells[1] = 0x1E;  // yellow on blue
        wait_presentations(2);
        const uint32_t* palette = display_image_record()->palette;
        SurfaceShot shot = surface_shot();
        int mismatches = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) {
                uint32_t expected = font8x16['A' * 128 + y * 8 + x] ? palette[14] : palette[1];
                if (shot.at(x, y) != (expected & 0xFFFFFF)) ++mismatches;
            }
        child_report("cell mismatches:" + std::to_string(mismatches));
        system_exit();
    });
    expect_reports(result, {"cell mismatches:0"});
}

TEST(Presentation, DialogIsDrawnOverTheLiveScreenAndAnsweredByAClick) {
    ChildResult result = run_runtime_child([] {
        screen(13);
        draw_test_pattern();
        wait_presentations(2);
        // While the dialog waits, another thread keeps drawing; the picture
        // outside the box follows, the box stays on top.
        std::thread helper([] {
            while (!dialog_is_open()) SDL_Delay(2);
            wait_presentations(3);
            emulated_memory[mode13_pixels_offset + 0] = 44;
            wait_presentations(3);
            SDL_Surface* s = SDL_GetVideoSurface();
            DialogLayout layout = layout_dialog(dialog_state.caption, dialog_state.text, dialog_state.buttons, s->w, s->h);
            std::vector<uint32_t> expected(static_cast<size_t>(s->w) * s->h, 0);
            draw_dialog(layout, font8x16, {expected.data(), s->w, s->h, s->w});
            SurfaceShot shot = surface_shot();
            int box_mismatches = 0;
            for (int y = layout.box.y; y < layout.box.y + layout.box.height; ++y)
                for (int x = layout.box.x; x < layout.box.x + layout.box.width; ++x)
                    if (shot.at(x, y) != (expected[y * s->w + x] & 0xFFFFFF)) ++box_mismatches;
            child_report("box mismatches:" + std::to_string(box_mismatches));
            child_report("live pixel:" + std::to_string(shot.at(0, 0) == 0xFFFF00));
            // Keys for the emulated keyboard go to the dialog instead.
            push_key(SDLK_x, 'x');
            wait_presentations(3);
            child_report("still open:" + std::to_string(dialog_is_open()));
            const DialogRect& no = layout.buttons[1].rect;
            for (Uint8 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
                SDL_Event event{};
                event.type = type;
                event.button.type = type;
                event.button.button = SDL_BUTTON_LEFT;
                event.button.x = static_cast<Uint16>(no.x + no.width / 2);
                event.button.y = static_cast<Uint16>(no.y + no.height / 2);
                SDL_PushEvent(&event);
            }
        });
        helper.detach();
        raise_error(5);
        statement_step(312);
        child_report("continued after No");
    });
    EXPECT_EQ(result.status, 0) << result.stderr_text;
    expect_reports(result, {"box mismatches:0", "live pixel:1", "still open:1"});
    EXPECT_FALSE(result.reported("continued after No"));
}

TEST(Presentation, DialogWhileTheScreenIsFrozenIsDrawnAloneAndThePictureComesBack) {
    ChildResult result = run_runtime_child([] {
        screen(13);
        draw_test_pattern();
        wait_presentations(2);
        // As SCREEN does while it rebuilds the pages: the image is not read.
        control.presentation_freeze = 1;
        while (control.presentation_freeze.load() != 2) SDL_Delay(1);
        std::thread([] {
            while (!dialog_is_open()) SDL_Delay(2);
            wait_presentations(3);
            SDL_Surface* s = SDL_GetVideoSurface();
            DialogLayout layout = layout_dialog(dialog_state.caption, dialog_state.text, dialog_state.buttons, s->w, s->h);
            std::vector<uint32_t> expected(static_cast<size_t>(s->w) * s->h, 0);
            draw_dialog(layout, font8x16, {expected.data(), s->w, s->h, s->w});
            SurfaceShot shot = surface_shot();
            int mismatches = 0;
            for (int y = 0; y < s->h; ++y)
                for (int x = 0; x < s->w; ++x)
                    if (shot.at(x, y) != (expected[y * s->w + x] & 0xFFFFFF)) ++mismatches;
            child_report("frozen dialog mismatches:" + std::to_string(mismatches));
            push_key(SDLK_y, 'y');
        }).detach();
        raise_error(5);
        statement_step(20);
        control.presentation_freeze = 0;
        wait_presentations(2);
        report_picture("after", 0, 0, 1);
        system_exit();
    });
    expect_reports(result, {"frozen dialog mismatches:0", "after:320x200 window mismatches 0"});
}
