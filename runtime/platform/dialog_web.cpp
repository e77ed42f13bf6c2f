// The message box drawn in the program's own window (dialog.cpp).
#include "runtime/platform/dialog.h"

DialogAnswer show_dialog(const char* caption, const char* text, DialogButtons buttons) {
    return show_drawn_dialog(caption, text, buttons);
}
