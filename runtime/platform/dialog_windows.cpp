// The message boxes on Windows: MessageBoxA itself, a window of its own, so
// the presentation draws no dialog (its state stays closed) and the main
// loop's events go to the game as ever. Every box is system-modal: it stays
// above the game's window, full screen included.
//
// On the program thread the box runs on a thread of its own while the
// program thread waits for its answer: closing the game's window while a
// box is open must still end the process, and a thread inside MessageBoxA
// could not be stopped; the box goes with the process.
#include "runtime/platform/dialog.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "runtime/core/runtime_control.h"
#include "runtime/core/threads.h"
#include "runtime/lifecycle/lifecycle.h"
#include "runtime/platform/system.h"
#include "runtime/screen/present.h"

namespace {

struct BoxRequest {
    std::string caption;
    std::string text;
    UINT flags = 0;
    std::atomic<int> result{0};  // MessageBoxA's answer; 0 while open
};

DialogAnswer answer_of(int result) {
    if (result == IDYES) return DialogAnswer::yes;
    if (result == IDOK) return DialogAnswer::ok;
    return DialogAnswer::no;
}

// The game window first shows in one of the main loop's first passes, and a
// window shown becomes the active one: shown after the box (a program
// failing in its first statement), it took the activation from it, and the
// keys went to the game while the box waited on top. The box therefore waits
// until the window has been shown, or until a presenting pass has run since
// the request without showing one (no display yet).
void wait_for_the_window_shown() {
    uint32_t asked = main_loop_iteration_count();
    while (presentation.video_mode_sets.load() == 0 && main_loop_iteration_count() - asked < 3) {
        if (control.exit_flag.load() != 0) stop_program_thread();
        sleep_ms(5);
    }
}

// After a Yes in full screen, the window shown maximised again: the box
// was a window of its own. ShowWindowAsync: the window belongs to the main
// thread, which may be waiting for this one.
DialogAnswer shown_again_after_yes(DialogAnswer answer) {
    if (answer != DialogAnswer::yes || presentation.fullscreen_state.load() == fullscreen_windowed) return answer;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) == 1 && info.window != nullptr) ShowWindowAsync(info.window, SW_SHOWMAXIMIZED);
    return answer;
}

}  // namespace

DialogAnswer show_dialog(const char* caption, const char* text, DialogButtons buttons) {
    auto request = std::make_shared<BoxRequest>();
    request->caption = caption;
    request->text = text;
    request->flags = (buttons == DialogButtons::yes_no ? MB_YESNO : MB_OK) | MB_SYSTEMMODAL;
    dialog_state.serial.fetch_add(1);
    if (!on_program_thread() || control.threads_started.load() == 0)
        return shown_again_after_yes(answer_of(MessageBoxA(nullptr, text, caption, request->flags)));
    wait_for_the_window_shown();
    std::thread([request] {
        int result = MessageBoxA(nullptr, request->text.c_str(), request->caption.c_str(), request->flags);
        request->result = result != 0 ? result : IDNO;
    }).detach();
    while (request->result.load() == 0) {
        if (control.exit_flag.load() != 0) stop_program_thread();
        sleep_ms(10);
    }
    return shown_again_after_yes(answer_of(request->result.load()));
}
