#include "runtime/screen/present.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "runtime/core/threads.h"
#include "runtime/core/runtime_control.h"
#include "runtime/platform/dialog.h"
#include "runtime/platform/system.h"
#include "runtime/screen/dialog_view.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/fullscreen.h"
#include "runtime/screen/palettes.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/window_scale.h"

std::atomic<int32_t> alt_enter_count{0};
PresentationState presentation;

namespace {

// What one frame reads from the display image, taken once at its start.
struct ImageView {
    bool text = false;
    bool rgb32 = false;
    int32_t width = 0;  // pixels; columns and rows for a text image
    int32_t height = 0;
    int32_t bits_per_pixel = 0;
    uint16_t mode = 0;
    uint8_t* pixels = nullptr;
    uint32_t* palette = nullptr;
    TextView cells;
    TextGlyphs glyphs;
};

TextGlyphs glyphs_of_font(uint32_t font) {
    switch (font) {
    case 8: return {font8x8, 64, 8, false};
    case 9: return {font8x8, 64, 8, true};
    case 14: return {font8x16 + 8, 128, 14, false};
    case 15: return {font8x16 + 8, 128, 14, true};
    case 16: return {font8x16, 128, 16, false};
    case 17: return {font8x16, 128, 16, true};
    default: return {};  // outline fonts are drawn elsewhere
    }
}

bool view_of(const ScreenImage& image, ImageView* view) {
    if (!image.valid || !image.pixels || image.width == 0 || image.height == 0) return false;
    view->mode = image.mode;
    view->pixels = image.pixels;
    view->palette = image.palette;
    if (image.text_surface) {
        if (!image.palette || image.font >= static_cast<uint32_t>(font_handle_count)) return false;
        view->text = true;
        view->glyphs = glyphs_of_font(image.font);
        view->width = image.width * font_width_table[image.font];
        view->height = image.height * font_height_table[image.font];
        PublishedCursor cursor = published_cursor_of(image);
        view->cells = {image.pixels, image.width, image.height, image.palette, cursor.col, cursor.row,
                       cursor.wrap_pending, cursor.visible == 1, cursor.start_line, cursor.stop_line};
        // Cells are laid out by the font tables; a glyph set of another size
        // would draw outside them.
        if (view->glyphs.height != font_height_table[image.font] || view->glyphs.cell_width() != font_width_table[image.font])
            view->glyphs = {nullptr, 0, font_height_table[image.font], font_width_table[image.font] == 16};
    } else if (image.bytes_per_pixel == 4) {
        view->rgb32 = true;
        view->width = image.width;
        view->height = image.height;
    } else if (image.bytes_per_pixel == 1 && image.palette) {
        view->width = image.width;
        view->height = image.height;
        view->bits_per_pixel = std::min<int32_t>(image.bits_per_pixel, 8);
    } else {
        return false;
    }
    return view->width > 0 && view->height > 0;
}

void show_pointer(bool shown) {
    if (!presentation.pointer_hidden_by_program) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

bool standard_channels(const SDL_PixelFormat* format) {
    return format->Rmask == 0xFF0000 && format->Gmask == 0xFF00 && format->Bmask == 0xFF;
}

// Sets the video mode for the layout; a full-screen mode the window system
// refuses leaves the program windowed. False when no 32-bit surface results.
bool set_video_mode(const FrameLayout& wanted, int32_t image_width, int32_t image_height, const std::vector<ModeSize>& modes,
                    const ModeChoice& choice) {
    FrameLayout layout = wanted;
    int32_t state = presentation.fullscreen_state.load();
    SDL_Surface* surface = SDL_SetVideoMode(layout.surface_width, layout.surface_height, 32, state ? SDL_FULLSCREEN : 0);
    if (!surface && state != fullscreen_windowed) {
        presentation.fullscreen_state = fullscreen_windowed;
        show_pointer(true);
        layout = frame_layout(image_width, image_height, fullscreen_windowed, modes, choice,
                              windowed_repeat(window_scale, image_width, image_height));
        surface = SDL_SetVideoMode(layout.surface_width, layout.surface_height, 32, 0);
    }
    ++presentation.video_mode_sets;
    presentation.presented_valid = 0;
    presentation.window_surface = surface;
    if (!surface || surface->format->BytesPerPixel != 4) {
        presentation.window_surface = nullptr;
        presentation.window_width = presentation.window_height = 0;
        return false;
    }
    presentation.window_width = surface->w;
    presentation.window_height = surface->h;
    presentation.offset_x = layout.offset_x;
    presentation.offset_y = layout.offset_y;
    presentation.repeat_x = presentation.repeat_y = layout.repeat;
    presentation.needs_conversion = !standard_channels(surface->format);
    if (presentation.needs_conversion)
        presentation.conversion_buffer.assign(static_cast<size_t>(surface->w) * surface->h, 0);
    else
        presentation.conversion_buffer.clear();
    return true;
}

// SDL drops the window system's queued events when it switches between
// window and full screen (close requests are counted apart from them, see
// runtime/platform/close_watch.h). A close request that has already arrived
// is taken into SDL's own queue first, and the switch is left to the main
// loop's next pass, which ends the program without spending the switch's
// time first. Only the main thread reads the window system's events.
bool close_request_waiting() {
    if (!on_main_thread()) return false;
    SDL_PumpEvents();
    SDL_Event event;
    return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_QUITMASK) > 0;
}

// Locks the surface and gives the block to draw into: the surface itself, or
// the conversion buffer when its channels are not where the palette words
// have them.
struct DrawingTarget {
    FrameTarget frame;
    bool locked = false;
};

DrawingTarget begin_drawing() {
    DrawingTarget target;
    SDL_Surface* surface = presentation.window_surface;
    if (presentation.needs_conversion) {
        target.frame = {presentation.conversion_buffer.data(), presentation.window_width, presentation.window_height,
                        presentation.window_width};
        return target;
    }
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) return target;
    target.locked = SDL_MUSTLOCK(surface);
    target.frame = {static_cast<uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch / 4};
    return target;
}

void end_drawing(DrawingTarget& target, bool drew) {
    SDL_Surface* surface = presentation.window_surface;
    if (drew && presentation.needs_conversion) {
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) < 0) return;
        copy_to_channels(target.frame, static_cast<uint8_t*>(surface->pixels), surface->pitch, surface->format->Rmask,
                         surface->format->Gmask, surface->format->Bmask);
        target.locked = SDL_MUSTLOCK(surface);
    }
    if (target.locked) SDL_UnlockSurface(surface);
    if (!drew) return;
    SDL_UpdateRect(surface, 0, 0, 0, 0);
    window_surface_updated();
    ++presentation.surface_updates;
    presentation.presented_valid = 1;
}

// An indexed image: nothing is drawn when the pixels and the used colours are
// those of the last frame.
bool draw_indexed(const ImageView& view, const FrameTarget& target, bool full) {
    if (view.mode == 10) apply_blink_colours(view.palette, blink_table.data(), (SDL_GetTicks() >> 9) & 1);
    size_t count = static_cast<size_t>(view.width) * view.height;
    size_t used = size_t{1} << view.bits_per_pixel;
    size_t palette_bytes = used * sizeof(uint32_t);
    bool same = !full && presentation.last_pixels.size() == count &&
                std::memcmp(presentation.last_pixels.data(), view.pixels, count) == 0 &&
                std::memcmp(presentation.last_palette, view.palette, palette_bytes) == 0;
    if (same) return false;
    presentation.last_pixels.resize(count);
    std::memcpy(presentation.last_pixels.data(), view.pixels, count);
    std::memcpy(presentation.last_palette, view.palette, palette_bytes);
    uint32_t colours[256];
    build_colour_table(presentation.last_palette, static_cast<uint32_t>(used - 1), colours);
    draw_indexed_frame(presentation.last_pixels.data(), view.width, view.height, colours, target, presentation.offset_x,
                       presentation.offset_y, presentation.repeat_x);
    return true;
}

bool draw_image(const ImageView& view, const FrameTarget& target, bool full) {
    if (view.text)
        return draw_text_frame(presentation.text, view.cells, view.glyphs, full, presentation.frame_counter.load(), target,
                               presentation.offset_x, presentation.offset_y, presentation.repeat_x) > 0;
    if (view.rgb32) {
        draw_rgb32_frame(reinterpret_cast<const uint32_t*>(view.pixels), view.width, view.height, target,
                         presentation.offset_x, presentation.offset_y, presentation.repeat_x);
        return true;
    }
    return draw_indexed(view, target, full);
}

// The state whose layout the window shows: a full screen that keeps the
// window's layout shows the window's.
int32_t shown_layout_state() {
    return presentation.fullscreen_keeps_layout ? fullscreen_windowed : presentation.fullscreen_state.load();
}

// A dialog can come before start-up has loaded the glyph sets.
const uint8_t* dialog_glyphs() {
    const uint8_t* a = font8x16 + 'A' * 128;
    if (std::all_of(a, a + 128, [](uint8_t b) { return b == 0; })) load_fonts();
    return font8x16;
}

// The dialog over whatever the frame holds, as large as the window's picture
// is scaled (full screen: one pixel a unit); its buttons become clickable
// where they were drawn.
void draw_open_dialog(const FrameTarget& target) {
    int32_t scale = shown_layout_state() == fullscreen_windowed ? std::max(presentation.repeat_x, 1) : 1;
    DialogLayout layout = layout_dialog(dialog_state.caption, dialog_state.text, dialog_state.buttons, target.width / scale,
                                        target.height / scale);
    draw_dialog(layout, dialog_glyphs(), target, scale);
    DialogClickArea areas[2];
    int count = 0;
    for (const DialogButtonView& button : layout.buttons) {
        if (count == 2) break;
        const DialogRect& r = button.rect;
        areas[count++] = {r.x * scale, r.y * scale, r.width * scale, r.height * scale, button.answer};
    }
    set_dialog_click_areas(areas, count);
}

// A dialog opened, closed or replaced since the last frame: the picture under
// it is drawn anew.
bool dialog_changed() {
    bool open = dialog_is_open();
    unsigned serial = dialog_state.serial.load();
    bool changed = open != presentation.dialog_drawn || (open && serial != presentation.dialog_serial_drawn);
    presentation.dialog_drawn = open;
    presentation.dialog_serial_drawn = serial;
    return changed;
}

// No image to show (none yet, or SCREEN is rebuilding the pages) while a
// dialog waits: the dialog alone on black, in the window there is or in one
// of the size of the text screen (scaled as that screen would be).
void present_dialog_alone() {
    if (!presentation.window_surface) {
        FrameLayout layout = frame_layout(640, 400, fullscreen_windowed, {}, {}, windowed_repeat(window_scale, 640, 400));
        if (!set_video_mode(layout, 640, 400, {}, {})) return;
    }
    dialog_changed();
    DrawingTarget target = begin_drawing();
    if (!target.frame.pixels) return;
    fill_frame(target.frame, 0);
    draw_open_dialog(target.frame);
    end_drawing(target, true);
    presentation.presented_valid = 0;
}

void answer_freeze() {
    int32_t requested = 1;
    if (control.presentation_freeze.compare_exchange_strong(requested, 2)) sleep_ms(0);
}

void finish_presentation() {
    answer_freeze();
    int32_t once = -1;
    control.autodisplay.compare_exchange_strong(once, 0);
}

// The full-screen state for this frame, from set_fullscreen's request or one
// Alt+Enter press; true when it changed.
bool apply_fullscreen_change(const ModeChoice& choice) {
    const std::vector<ModeSize>& modes = presentation.fullscreen_modes;
    int32_t request = presentation.fullscreen_request.load();
    bool alt_enter = false;
    if (request < 0 && alt_enter_count.load() > 0) {
        alt_enter_count.fetch_sub(1);
        alt_enter = true;
    }
    int32_t before = presentation.fullscreen_state.load();
    bool switched = request >= 0 || alt_enter;
    FullscreenDecision decision;
    bool no_mode = choice.best_any < 0 && choice.best_43 < 0;
    if (switched ? no_mode && fullscreen_without_mode() : presentation.fullscreen_keeps_layout) {
        // Any picture fits a full screen that keeps the window's layout: it
        // has one flavour, and no mode to outgrow.
        int32_t go = before;
        if (request >= 0) go = request;
        else if (alt_enter) go = before == fullscreen_windowed ? fullscreen_best_fit : fullscreen_windowed;
        if (go != fullscreen_windowed) go = fullscreen_best_fit;
        decision = {go, go != before};
        presentation.fullscreen_keeps_layout = go != fullscreen_windowed;
    } else {
        decision = decide_fullscreen(before, request, alt_enter, modes, choice);
        presentation.fullscreen_keeps_layout = false;
    }
    if (decision.changed) {
        presentation.fullscreen_state = decision.state;
        presentation.presented_valid = 0;
        show_pointer(decision.state == fullscreen_windowed);
    }
    presentation.fullscreen_request = -1;
    return decision.changed;
}

}  // namespace

void reset_presentation() {
    presentation.fullscreen_modes.clear();
    presentation.fullscreen_state = fullscreen_windowed;
    presentation.fullscreen_request = -1;
    presentation.program_fullscreen = fullscreen_windowed;
    presentation.fullscreen_switch_turned = false;
    presentation.fullscreen_keeps_layout = false;
    presentation.window_surface = nullptr;
    presentation.window_width = presentation.window_height = 0;
    presentation.offset_x = presentation.offset_y = 0;
    presentation.repeat_x = presentation.repeat_y = 1;
    presentation.needs_conversion = false;
    presentation.conversion_buffer.clear();
    presentation.frame_counter = 0;
    presentation.presented_valid = 0;
    presentation.last_pixels.clear();
    std::memset(presentation.last_palette, 0, sizeof presentation.last_palette);
    presentation.text = TextFrameState{};
    presentation.pointer_hidden_by_program = false;
    presentation.dialog_drawn = false;
    presentation.dialog_serial_drawn = 0;
    presentation.surface_updates = 0;
    presentation.video_mode_sets = 0;
    alt_enter_count = 0;
}

void query_fullscreen_modes() {
    // Before the first video mode SDL reports the desktop's own size; after
    // it, the window's (SDL 1.2.15).
    if (presentation.video_mode_sets.load() == 0) {
        const SDL_VideoInfo* info = SDL_GetVideoInfo();
        window_scale.desktop_width = info ? info->current_w : 0;
        window_scale.desktop_height = info ? info->current_h : 0;
    }
    presentation.fullscreen_modes.clear();
    SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_HWSURFACE);
    // A null list means no modes; -1 means any size, which gives no size to choose.
    if (modes == nullptr || modes == reinterpret_cast<SDL_Rect**>(-1)) return;
    for (SDL_Rect** mode = modes; *mode; ++mode) presentation.fullscreen_modes.push_back(
            {static_cast<uint16_t>((*mode)->w), static_cast<uint16_t>((*mode)->h)});
}

void invalidate_presentation() { presentation.presented_valid = 0; }

void present_display() {
    ++presentation.frame_counter;
    answer_freeze();
    ImageView view;
    ScreenImage* image = control.presentation_freeze.load() == 0 ? display_image_record() : nullptr;
    if (!image || !view_of(*image, &view)) {
        if (dialog_is_open()) present_dialog_alone();
        finish_presentation();
        return;
    }
    const std::vector<ModeSize>& modes = presentation.fullscreen_modes;
    ModeChoice choice = choose_fullscreen_modes(modes, view.width, view.height);
    bool changed = apply_fullscreen_change(choice);
    FrameLayout layout = frame_layout(view.width, view.height, shown_layout_state(), modes, choice,
                                      windowed_repeat(window_scale, view.width, view.height));
    presentation.offset_x = layout.offset_x;
    presentation.offset_y = layout.offset_y;
    presentation.repeat_x = presentation.repeat_y = layout.repeat;
    if (!presentation.window_surface || changed || layout.surface_width != presentation.window_width ||
        layout.surface_height != presentation.window_height) {
        if (close_request_waiting() || !set_video_mode(layout, view.width, view.height, modes, choice)) {
            finish_presentation();
            return;
        }
    }
    if (dialog_changed()) presentation.presented_valid = 0;
    DrawingTarget target = begin_drawing();
    if (!target.frame.pixels) {
        finish_presentation();
        return;
    }
    bool full = presentation.presented_valid.load() == 0;
    if (full) fill_frame(target.frame, 0);
    bool drew = draw_image(view, target.frame, full) || full;
    if (drew && dialog_is_open()) draw_open_dialog(target.frame);
    end_drawing(target, drew);
    finish_presentation();
}

void set_fullscreen(int32_t how) {
    int32_t wanted = wanted_fullscreen_state(how);
    if (wanted < 0) return;
    presentation.program_fullscreen = wanted;
    if (presentation.fullscreen_switch_turned.load()) wanted = wanted == fullscreen_windowed ? fullscreen_best_fit : fullscreen_windowed;
    if (presentation.fullscreen_state.load() == wanted) return;
    auto request = [](int32_t state) {
        presentation.fullscreen_request = state;
        wake_main_loop();
        if (control.autodisplay.load() != 1) {
            present_display();
            return;
        }
        while (presentation.fullscreen_request.load() != -1) {
            // A closing window must not leave the program waiting here.
            if (control.exit_flag.load() != 0) {
                if (on_program_thread()) stop_program_thread();
                return;
            }
            sleep_ms(32);
        }
    };
    request(wanted);
    int32_t now = presentation.fullscreen_state.load();
    if (now == wanted) return;
    if (wanted == fullscreen_best_fit) request(fullscreen_four_three);
    if (wanted == fullscreen_four_three) request(fullscreen_best_fit);
}
