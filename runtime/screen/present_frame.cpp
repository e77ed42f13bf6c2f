#include "runtime/screen/present_frame.h"

#include <algorithm>
#include <cstring>

namespace {

// The source columns (or rows) first..end-1 whose repeat-wide blocks lie
// wholly inside 0..limit-1 when the first block starts at offset.
void visible_span(int32_t count, int32_t offset, int32_t repeat, int32_t limit, int32_t* first, int32_t* end) {
    int32_t lo = offset >= 0 ? 0 : (-offset + repeat - 1) / repeat;
    int32_t room = limit - offset;
    int32_t hi = room <= 0 ? 0 : room / repeat;
    *first = lo;
    *end = std::max(lo, std::min(count, hi));
}

bool usable(const FrameTarget& target) {
    return target.pixels && target.width > 0 && target.height > 0 && target.pitch_words >= target.width;
}

// Copies the target row just written to the repeat - 1 rows below it.
void repeat_row(uint32_t* row, int32_t pitch_words, int32_t repeat, size_t row_bytes) {
    for (int32_t k = 1; k < repeat; ++k) std::memcpy(row + static_cast<size_t>(k) * pitch_words, row, row_bytes);
}

// Both image kinds share the clipping and the row repetition; only the way a
// source pixel becomes a colour differs. The common factors get loops of
// their own, which the compiler unrolls.
template <typename Pixel, typename ColourOf>
void draw_frame(const Pixel* pixels, int32_t width, int32_t height, const FrameTarget& target, int32_t offset_x,
                int32_t offset_y, int32_t repeat, ColourOf colour_of) {
    if (!pixels || width <= 0 || height <= 0 || !usable(target)) return;
    repeat = std::max(repeat, 1);
    int32_t x0, x1, y0, y1;
    visible_span(width, offset_x, repeat, target.width, &x0, &x1);
    visible_span(height, offset_y, repeat, target.height, &y0, &y1);
    if (x0 >= x1) return;
    size_t row_bytes = static_cast<size_t>(x1 - x0) * repeat * sizeof(uint32_t);
    for (int32_t y = y0; y < y1; ++y) {
        const Pixel* in = pixels + static_cast<size_t>(y) * width + x0;
        uint32_t* row = target.pixels + static_cast<size_t>(offset_y + y * repeat) * target.pitch_words + offset_x + x0 * repeat;
        uint32_t* out = row;
        int32_t n = x1 - x0;
        switch (repeat) {
        case 1:
            for (int32_t i = 0; i < n; ++i) out[i] = colour_of(in[i]);
            break;
        case 2:
            for (int32_t i = 0; i < n; ++i) {
                uint32_t c = colour_of(in[i]);
                out[2 * i] = c;
                out[2 * i + 1] = c;
            }
            break;
        case 3:
            for (int32_t i = 0; i < n; ++i) {
                uint32_t c = colour_of(in[i]);
                out[3 * i] = c;
                out[3 * i + 1] = c;
                out[3 * i + 2] = c;
            }
            break;
        default:
            for (int32_t i = 0; i < n; ++i) std::fill_n(out + static_cast<size_t>(i) * repeat, repeat, colour_of(in[i]));
            break;
        }
        repeat_row(row, target.pitch_words, repeat, row_bytes);
    }
}

bool is_four_three(const ModeSize& mode) { return mode.width / 4 == mode.height / 3; }

bool same_size(const std::vector<ModeSize>& modes, int32_t a, int32_t b) {
    return modes[a].width == modes[b].width && modes[a].height == modes[b].height;
}

}  // namespace

void fill_frame(const FrameTarget& target, uint32_t colour) {
    if (!usable(target)) return;
    for (int32_t y = 0; y < target.height; ++y) {
        uint32_t* row = target.pixels + static_cast<size_t>(y) * target.pitch_words;
        std::fill(row, row + target.width, colour);
    }
}

void draw_indexed_frame(const uint8_t* pixels, int32_t width, int32_t height, const uint32_t* colours,
                        const FrameTarget& target, int32_t offset_x, int32_t offset_y, int32_t repeat) {
    if (!colours) return;
    draw_frame(pixels, width, height, target, offset_x, offset_y, repeat, [colours](uint8_t p) { return colours[p]; });
}

void draw_rgb32_frame(const uint32_t* pixels, int32_t width, int32_t height, const FrameTarget& target,
                      int32_t offset_x, int32_t offset_y, int32_t repeat) {
    draw_frame(pixels, width, height, target, offset_x, offset_y, repeat, [](uint32_t p) { return p; });
}

void build_colour_table(const uint32_t* palette, uint32_t colour_mask, uint32_t table[256]) {
    for (uint32_t i = 0; i < 256; ++i) table[i] = palette[i & colour_mask & 255];
}

void apply_blink_colours(uint32_t* palette, const uint32_t* blink_colours, int32_t phase) {
    for (int i = 0; i < 4; ++i) {
        uint32_t selector = palette[i + 4];
        if (selector <= 8) palette[i] = blink_colours[(phase ? 9 : 0) + selector];
    }
}

void copy_to_channels(const FrameTarget& source, uint8_t* surface, int32_t surface_pitch_bytes, uint32_t red_mask,
                      uint32_t green_mask, uint32_t blue_mask) {
    if (!usable(source) || !surface) return;
    auto byte_of = [](uint32_t mask) {
        for (int b = 0; b < 4; ++b)
            if (mask == 0xFFu << (8 * b)) return b;
        return -1;
    };
    int red = byte_of(red_mask), green = byte_of(green_mask), blue = byte_of(blue_mask);
    for (int32_t y = 0; y < source.height; ++y) {
        const uint32_t* in = source.pixels + static_cast<size_t>(y) * source.pitch_words;
        uint8_t* out = surface + static_cast<size_t>(y) * surface_pitch_bytes;
        for (int32_t x = 0; x < source.width; ++x, out += 4) {
            uint32_t c = in[x];
            uint32_t word = 0;
            if (red >= 0) word |= ((c >> 16) & 0xFF) << (8 * red);
            if (green >= 0) word |= ((c >> 8) & 0xFF) << (8 * green);
            if (blue >= 0) word |= (c & 0xFF) << (8 * blue);
            std::memcpy(out, &word, 4);
        }
    }
}

ModeChoice choose_fullscreen_modes(const std::vector<ModeSize>& modes, int32_t image_width, int32_t image_height) {
    int32_t w2 = image_width, h2 = image_height;
    if (image_width <= 512 && image_height <= 384) {
        w2 *= 2;
        h2 *= 2;
    }
    ModeChoice choice;
    int32_t any_waste = 0, four_three_waste = 0;
    for (int32_t i = 0; i < static_cast<int32_t>(modes.size()); ++i) {
        const ModeSize& mode = modes[i];
        if (mode.width <= 639 || mode.width < w2 || mode.height < h2) continue;
        int32_t waste = (mode.width + mode.height) - (w2 + h2);
        if (choice.best_any < 0 || waste <= any_waste) {
            choice.best_any = i;
            any_waste = waste;
        }
        if (is_four_three(mode) && (choice.best_43 < 0 || waste <= four_three_waste)) {
            choice.best_43 = i;
            four_three_waste = waste;
        }
    }
    return choice;
}

FullscreenDecision decide_fullscreen(int32_t state, int32_t request, bool alt_enter, const std::vector<ModeSize>& modes,
                                     const ModeChoice& choice) {
    FullscreenDecision decision{state, false};
    int32_t go = -1;
    if (request >= 0 && request <= 2)
        go = request;
    else if (alt_enter)
        go = state == fullscreen_windowed ? fullscreen_best_fit : state == fullscreen_best_fit ? fullscreen_four_three : fullscreen_windowed;
    if (go == fullscreen_best_fit) {
        if (choice.best_any >= 0) decision = {fullscreen_best_fit, true};
    } else if (go == fullscreen_four_three) {
        if (choice.best_43 >= 0 && !(choice.best_any >= 0 && same_size(modes, choice.best_43, choice.best_any)))
            decision = {fullscreen_four_three, true};
        else
            decision = {fullscreen_windowed, true};
    } else if (go == fullscreen_windowed) {
        decision = {fullscreen_windowed, true};
    }
    // The image may have grown beyond the mode the state stands for (a new
    // screen mode while full screen): the other flavour, or the window.
    if (decision.state == fullscreen_best_fit && choice.best_any < 0)
        decision = {choice.best_43 >= 0 ? fullscreen_four_three : fullscreen_windowed, true};
    if (decision.state == fullscreen_four_three && choice.best_43 < 0)
        decision = {choice.best_any >= 0 ? fullscreen_best_fit : fullscreen_windowed, true};
    return decision;
}

int32_t wanted_fullscreen_state(int32_t how) {
    switch (how) {
    case 0: return fullscreen_best_fit;
    case 1: return fullscreen_windowed;
    case 2: return fullscreen_best_fit;
    case 3: return fullscreen_four_three;
    default: return -1;
    }
}

FrameLayout frame_layout(int32_t image_width, int32_t image_height, int32_t state, const std::vector<ModeSize>& modes,
                         const ModeChoice& choice, int32_t window_repeat) {
    window_repeat = std::max(window_repeat, 1);
    FrameLayout layout{image_width * window_repeat, image_height * window_repeat, 0, 0, window_repeat};
    int32_t index = state == fullscreen_best_fit ? choice.best_any : state == fullscreen_four_three ? choice.best_43 : -1;
    if (index < 0 || index >= static_cast<int32_t>(modes.size())) return layout;
    layout.repeat = 1;
    int32_t shown_width = image_width, shown_height = image_height;
    if (image_width <= 512 && image_height <= 384) {
        shown_width *= 2;
        shown_height *= 2;
        layout.repeat = 2;
    }
    layout.surface_width = modes[index].width;
    layout.surface_height = modes[index].height;
    layout.offset_x = (layout.surface_width - shown_width) / 2;
    layout.offset_y = (layout.surface_height - shown_height) / 2;
    return layout;
}

CursorRows cursor_rows(int32_t start_line, int32_t stop_line, int32_t cell_height) {
    int32_t s = start_line, e = stop_line, ch = cell_height;
    int32_t bottom = ch - 1 == 15 ? 14 : ch - 1;
    auto anchored = [bottom](int32_t lines) { return CursorRows{bottom - lines + 1, bottom}; };
    CursorRows rows;
    if (e == 0)
        rows = s == 0 ? CursorRows{0, 0} : CursorRows{};
    else if (e < s)
        rows = {e, ch - 1};
    else if (s == e)
        rows = s <= 3 ? CursorRows{s, s} : anchored(1);
    else if (s <= 1)
        rows = {s, e <= 3 ? e : ch - 1};
    else if (s == 2)
        rows = e == 3 ? CursorRows{2, 3} : e == 4 ? anchored(3) : CursorRows{2, ch - 1};
    else if (e - s == 1)
        rows = anchored(2);
    else if (e - s == 2)
        rows = anchored(3);
    else
        rows = {ch - ch / 2, ch - 1};
    // Lines at or below the cell's height are not drawn.
    rows.first = std::max(rows.first, 0);
    rows.last = std::min(rows.last, ch - 1);
    return rows;
}
