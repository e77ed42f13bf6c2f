#include "runtime/platform/dialog.h"

#include <cstdio>
#include <cstring>

#include "runtime/core/threads.h"
#include "runtime/core/runtime_control.h"
#include "runtime/input/key_symbols.h"
#include "runtime/platform/system.h"
#include "runtime/screen/present.h"

DialogState dialog_state;

namespace {

bool answer_from_key(uint32_t key, DialogButtons buttons, DialogAnswer* answer) {
    bool enter = key == sym_return || key == sym_keypad_enter;
    if (buttons == DialogButtons::ok) {
        if (!enter && key != sym_escape && key != sym_space) return false;
        *answer = DialogAnswer::ok;
        return true;
    }
    if (enter || key == sym_y) {
        *answer = DialogAnswer::yes;
        return true;
    }
    if (key == sym_n || key == sym_escape) {
        *answer = DialogAnswer::no;
        return true;
    }
    return false;
}

// Without a main loop to answer it (start-up, or the main thread itself asks),
// the dialog reads events here, and the main thread presents it itself. A
// closed window ends the process.
DialogAnswer wait_on_own_events() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        std::fprintf(stderr, "%s: %s\n", dialog_state.caption, dialog_state.text);
        dialog_state.answer = static_cast<int>(dialog_state.buttons == DialogButtons::ok ? DialogAnswer::ok : DialogAnswer::no);
        dialog_state.phase = 2;
    }
    while (dialog_state.phase.load() == 1) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) end_process_now();
            dialog_handle_event(event);
        }
        if (on_main_thread()) present_display();
        sleep_ms(10);
    }
    return static_cast<DialogAnswer>(dialog_state.answer.load());
}

int click_area_at(int x, int y) {
    for (int i = 0; i < dialog_state.click_area_count.load(); ++i) {
        const DialogClickArea& area = dialog_state.click_areas[i];
        if (x >= area.x && y >= area.y && x < area.x + area.width && y < area.y + area.height) return i;
    }
    return -1;
}

}  // namespace

void set_dialog_click_areas(const DialogClickArea* areas, int count) {
    count = count < 0 ? 0 : count > 2 ? 2 : count;
    for (int i = 0; i < count; ++i) dialog_state.click_areas[i] = areas[i];
    dialog_state.click_area_count = count;
}

void answer_dialog(DialogAnswer answer) {
    int open = 1;
    dialog_state.answer = static_cast<int>(answer);
    dialog_state.phase.compare_exchange_strong(open, 2);
}

bool dialog_handle_event(const SDL_Event& event) {
    if (!dialog_is_open()) return false;
    switch (event.type) {
    case SDL_KEYDOWN: {
        DialogAnswer answer;
        if (answer_from_key(static_cast<uint32_t>(event.key.keysym.sym), dialog_state.buttons, &answer)) answer_dialog(answer);
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) dialog_state.pressed_area = click_area_at(event.button.x, event.button.y);
        return true;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
            int area = click_area_at(event.button.x, event.button.y);
            if (area >= 0 && area == dialog_state.pressed_area) answer_dialog(dialog_state.click_areas[area].answer);
            dialog_state.pressed_area = -1;
        }
        return true;
    case SDL_KEYUP:
        return true;
    default:
        return false;
    }
}

DialogAnswer show_drawn_dialog(const char* caption, const char* text, DialogButtons buttons) {
    std::snprintf(dialog_state.caption, sizeof dialog_state.caption, "%s", caption);
    std::snprintf(dialog_state.text, sizeof dialog_state.text, "%s", text);
    dialog_state.buttons = buttons;
    dialog_state.answer = 0;
    dialog_state.click_area_count = 0;
    dialog_state.serial.fetch_add(1);
    dialog_state.phase = 1;
    wake_main_loop();
    DialogAnswer answer;
    if (!on_program_thread() || control.threads_started.load() == 0) {
        answer = wait_on_own_events();
    } else {
        while (dialog_state.phase.load() == 1) {
            if (control.exit_flag.load() != 0) {
                dialog_state.phase = 0;
                stop_program_thread();
            }
            sleep_ms(10);
        }
        answer = static_cast<DialogAnswer>(dialog_state.answer.load());
    }
    dialog_state.phase = 0;
    return answer;
}
