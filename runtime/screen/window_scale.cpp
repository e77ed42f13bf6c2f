#include "runtime/screen/window_scale.h"

WindowScale window_scale;

void reset_window_scale() { window_scale = WindowScale{}; }

int32_t windowed_repeat(const WindowScale& scale, int32_t image_width, int32_t image_height) {
    if (image_width <= 0 || image_height <= 0) return 1;
    bool known = scale.desktop_width > 0 && scale.desktop_height > 0;
    if (scale.requested == window_scale_auto) {
        if (!known) return 1;
        // Room for the window's frame and the desktop's panels: 90 % of each side.
        int64_t by_width = int64_t{scale.desktop_width} * 9 / (int64_t{image_width} * 10);
        int64_t by_height = int64_t{scale.desktop_height} * 9 / (int64_t{image_height} * 10);
        int64_t n = by_width < by_height ? by_width : by_height;
        return n < 1 ? 1 : static_cast<int32_t>(n);
    }
    int32_t n = scale.requested < 1 ? 1 : scale.requested > window_scale_most ? window_scale_most : scale.requested;
    if (!known) return n;
    while (n > 1 && (int64_t{n} * image_width > scale.desktop_width || int64_t{n} * image_height > scale.desktop_height)) --n;
    return n;
}
