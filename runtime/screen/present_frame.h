// The presentation's decisions and pixel work over plain buffers: converting
// indexed pixels through a palette into 32-bit words (with N x N repetition
// and an offset), choosing the full-screen modes, deciding the full-screen
// state, and shaping the text cursor. Nothing here touches the window system,
// so tests and benchmarks run it on ordinary memory.
//
// Colours are 0xAARRGGBB words; a 32-bit window surface takes them unchanged
// (its top byte is ignored).
#pragma once

#include <cstdint>
#include <vector>

// A block of 32-bit words to draw into: width x height visible words, rows
// pitch_words apart. Every drawing function writes only inside it.
struct FrameTarget {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t pitch_words = 0;
};

void fill_frame(const FrameTarget& target, uint32_t colour);

// Draws a width x height image of one byte per pixel at (offset_x, offset_y),
// each pixel repeat x repeat words (exact replication, no smoothing), looking
// each byte up in a 256-entry colour table. Pixels whose block would leave the target are cut.
void draw_indexed_frame(const uint8_t* pixels, int32_t width, int32_t height, const uint32_t* colours,
                        const FrameTarget& target, int32_t offset_x, int32_t offset_y, int32_t repeat);

// The same for an image of 32-bit colours.
void draw_rgb32_frame(const uint32_t* pixels, int32_t width, int32_t height, const FrameTarget& target,
                      int32_t offset_x, int32_t offset_y, int32_t repeat);

// The colour table through which an image's pixels are drawn: entry i is
// palette entry i AND colour_mask, so a byte above the mask shows the colour
// a read of that pixel reports, and no entry beyond the used ones is read.
void build_colour_table(const uint32_t* palette, uint32_t colour_mask, uint32_t table[256]);

// Mode 10's blinking colours: palette entries 0-3 taken from the blink table
// (two phases of nine colours) by the selectors in entries 4-7. A selector
// above 8 names no colour; its entry is left as it is.
void apply_blink_colours(uint32_t* palette, const uint32_t* blink_colours, int32_t phase);

// Moves 0x00RRGGBB words into a surface of 4-byte pixels whose channels sit
// where its masks say (mask 0xFF: byte 0, 0xFF00: byte 1, 0xFF0000: byte 2,
// 0xFF000000: byte 3).
void copy_to_channels(const FrameTarget& source, uint8_t* surface, int32_t surface_pitch_bytes, uint32_t red_mask,
                      uint32_t green_mask, uint32_t blue_mask);

// Full-screen modes (largest first, as the window system lists them).
struct ModeSize {
    uint16_t width = 0;
    uint16_t height = 0;
};

// Indexes into the mode list, -1 when absent.
struct ModeChoice {
    int32_t best_any = -1;
    int32_t best_43 = -1;
};

// The modes that hold an image of image_width x image_height, doubled when it
// is at most 512 x 384; only modes at least 640 wide count. The least waste
// (width + height beyond the picture's) wins; on a tie the later mode.
ModeChoice choose_fullscreen_modes(const std::vector<ModeSize>& modes, int32_t image_width, int32_t image_height);

// fullscreen_state values
constexpr int32_t fullscreen_windowed = 0;
constexpr int32_t fullscreen_best_fit = 1;
constexpr int32_t fullscreen_four_three = 2;

struct FullscreenDecision {
    int32_t state = fullscreen_windowed;
    bool changed = false;
};

// The full-screen state after a presentation's request (-1 none, else the
// wanted state) or, without one, one Alt+Enter press: windowed, best fit,
// 4:3, windowed. A best fit that does not exist is no change; a 4:3 mode
// that does not exist or is the best fit itself means windowed. A full-screen
// state whose mode no longer exists for the current image falls back to the
// other flavour, then to windowed.
FullscreenDecision decide_fullscreen(int32_t state, int32_t request, bool alt_enter, const std::vector<ModeSize>& modes,
                                     const ModeChoice& choice);

// set_fullscreen's argument to the wanted state: 0 -> 1, 1 -> 0, 2 -> 1, 3 -> 2;
// -1 for any other value.
int32_t wanted_fullscreen_state(int32_t how);

// Where the picture lands in the surface and how large the surface is.
struct FrameLayout {
    int32_t surface_width = 0;
    int32_t surface_height = 0;
    int32_t offset_x = 0;
    int32_t offset_y = 0;
    int32_t repeat = 1;
};

// Windowed: the surface is the image repeated window_repeat times each way
// (1: the image's own size). Full screen: the mode's size, the image doubled
// when at most 512 x 384, centred.
FrameLayout frame_layout(int32_t image_width, int32_t image_height, int32_t state, const std::vector<ModeSize>& modes,
                         const ModeChoice& choice, int32_t window_repeat);

// The rows of a text cell that the cursor covers, from LOCATE's start and stop
// lines; empty (first > last) when there is no cursor line in the cell.
struct CursorRows {
    int32_t first = 0;
    int32_t last = -1;
    bool empty() const { return first > last; }
};
CursorRows cursor_rows(int32_t start_line, int32_t stop_line, int32_t cell_height);
