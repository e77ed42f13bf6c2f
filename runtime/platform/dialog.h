// The message box of the runtime. On Linux and the web, a modal dialog inside
// the program's own window, drawn by the presentation over the emulated
// screen. It blocks only
// the thread that asked; the main thread keeps presenting and gives key and
// mouse events to the dialog instead of the keyboard buffer while it is open.
//
// | buttons | answered by                                    |
// |---------|------------------------------------------------|
// | Yes/No  | Y or Enter: Yes; N or Esc: No; a click on one  |
// | OK      | Enter, Esc or Space; a click on OK             |
#pragma once

#include <SDL.h>

#include <atomic>

enum class DialogButtons { ok, yes_no };
enum class DialogAnswer { ok, yes, no };

// Where a button lies in the window surface, as the presentation drew it.
struct DialogClickArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    DialogAnswer answer = DialogAnswer::ok;
};

struct DialogState {
    std::atomic<int> phase{0};  // 0 closed, 1 open and waiting, 2 answered
    char caption[64] = {};
    char text[256] = {};
    DialogButtons buttons = DialogButtons::ok;
    std::atomic<int> answer{0};  // a DialogAnswer once phase is 2
    std::atomic<unsigned> serial{0};  // counts the dialogs shown, so a new one is told from the last

    // Main thread only: the buttons of the drawn dialog, and the one the left
    // mouse button went down on (-1 none). A click answers when the button
    // comes up over the same one.
    DialogClickArea click_areas[2];
    std::atomic<int> click_area_count{0};
    int pressed_area = -1;
};

extern DialogState dialog_state;

// Shows the message box and waits for its answer: drawn in the program's
// window on Linux and the web (show_drawn_dialog), MessageBoxA on Windows,
// where a Yes in full screen also shows the window maximised again.
DialogAnswer show_dialog(const char* caption, const char* text, DialogButtons buttons);

// The dialog drawn in the window. On the program thread the main loop
// answers it; if shutdown begins meanwhile the program thread stops.
// Elsewhere (start-up, the main thread) it reads events itself.
DialogAnswer show_drawn_dialog(const char* caption, const char* text, DialogButtons buttons);

inline bool dialog_is_open() { return dialog_state.phase.load() == 1; }

// Main thread: offers an event to the open dialog; true when the dialog took
// it (every key and mouse event while it is open).
bool dialog_handle_event(const SDL_Event& event);

// Answers the open dialog (the presentation uses it for mouse clicks).
void answer_dialog(DialogAnswer answer);

// Main thread, after drawing the dialog: where its buttons are.
void set_dialog_click_areas(const DialogClickArea* areas, int count);
