#include "runtime/screen/flood_fill.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "runtime/core/statement.h"
#include "runtime/screen/screen_image.h"

namespace {

constexpr int error_illegal_call = 5;
// Out of memory for the work lists or the visited map: fatal boxes
// "Critical Error #16" and "#17".
constexpr int error_fill_lists_memory = 516;
constexpr int error_visited_map_memory = 517;

constexpr size_t first_list_capacity = 65536;
constexpr size_t first_visited_size = 640 * 480;

// Direction bits of a work entry: the neighbours still to try.
constexpr uint8_t try_left = 1, try_right = 2, try_up = 4, try_down = 8;

// One generation: three parallel arrays.
struct Generation {
    uint16_t* x = nullptr;
    uint16_t* y = nullptr;
    uint8_t* mask = nullptr;
    size_t size = 0;
    size_t capacity = 0;

    bool grow(size_t wanted) {
        auto* nx = static_cast<uint16_t*>(std::realloc(x, wanted * sizeof(uint16_t)));
        if (nx) x = nx;
        auto* ny = static_cast<uint16_t*>(std::realloc(y, wanted * sizeof(uint16_t)));
        if (ny) y = ny;
        auto* nm = static_cast<uint8_t*>(std::realloc(mask, wanted));
        if (nm) mask = nm;
        if (!nx || !ny || !nm) return false;
        capacity = wanted;
        return true;
    }
    // A generation larger than its lists grows them instead of overflowing.
    void push(uint16_t px, uint16_t py, uint8_t m) {
        if (size == capacity && !grow(capacity * 2)) {
            raise_error(error_fill_lists_memory);  // ends the program
            return;
        }
        x[size] = px;
        y[size] = py;
        mask[size] = m;
        ++size;
    }
};

struct FillState {
    Generation lists[2];
    uint8_t* visited_map = nullptr;
    size_t visited_size = 0;
};
FillState fill_state;

bool prepare(size_t pixels) {
    FillState& s = fill_state;
    for (Generation& g : s.lists)
        if (!g.capacity && !g.grow(first_list_capacity)) {
            raise_error(error_fill_lists_memory);
            return false;
        }
    if (s.visited_size < std::max(pixels, first_visited_size)) {
        std::free(s.visited_map);
        s.visited_size = std::max(pixels, first_visited_size);
        s.visited_map = static_cast<uint8_t*>(std::calloc(s.visited_size, 1));
        if (!s.visited_map) {
            s.visited_size = 0;
            raise_error(error_visited_map_memory);
            return false;
        }
    }
    return true;
}

struct Clip {
    int32_t left, top, right, bottom;
};

template <class Pixel>
void fill_region(ScreenImage& m, const Clip& clip, int32_t px, int32_t py, uint32_t f, uint32_t b) {
    Pixel* pixels = reinterpret_cast<Pixel*>(m.pixels);
    const size_t width = m.width;
    const uint32_t mask = m.color_mask;
    const Pixel fill = static_cast<Pixel>(f);
    uint8_t* visited = fill_state.visited_map;
    Generation* current = &fill_state.lists[0];
    Generation* next = &fill_state.lists[1];

    size_t seed = py * width + px;
    pixels[seed] = fill;
    visited[seed] = 1;
    current->size = 0;
    current->push(static_cast<uint16_t>(px), static_cast<uint16_t>(py), try_left | try_right | try_up | try_down);

    // A neighbour is examined once; unless it has the border colour it is
    // filled and tries every way on but the one back.
    auto visit = [&](int32_t x, int32_t y, uint8_t onward) {
        size_t at = size_t(y) * width + x;
        if (visited[at]) return;
        visited[at] = 1;
        if ((uint32_t(pixels[at]) & mask) == b) return;
        pixels[at] = fill;
        next->push(static_cast<uint16_t>(x), static_cast<uint16_t>(y), onward);
    };
    for (;;) {
        next->size = 0;
        for (size_t i = 0; i < current->size; ++i) {
            int32_t x = current->x[i], y = current->y[i];
            uint8_t ways = current->mask[i];
            if ((ways & try_left) && x - 1 >= clip.left) visit(x - 1, y, try_left | try_up | try_down);
            if ((ways & try_right) && x + 1 <= clip.right) visit(x + 1, y, try_right | try_up | try_down);
            if ((ways & try_up) && y - 1 >= clip.top) visit(x, y - 1, try_left | try_right | try_up);
            if ((ways & try_down) && y + 1 <= clip.bottom) visit(x, y + 1, try_left | try_right | try_down);
        }
        if (next->size == 0) break;
        std::swap(current, next);
    }
    std::memset(visited, 0, width * m.height);
}

// The seed pixel of the pen as a coordinate, rounded half to even.
double seed_coordinate(double pen, double scale, double offset, int32_t origin, uint8_t coord_mode) {
    if (coord_mode == 2) return std::nearbyint(pen * scale + offset) + origin;
    return std::nearbyint(pen) + (coord_mode == 1 ? origin : 0);
}

}  // namespace

void paint_fill(float x, float y, uint32_t fill_color, uint32_t border_color, int32_t, uint32_t passed) {
    if (error_pending()) return;
    ScreenImage* image = write_image_record();
    if (!image) return;
    ScreenImage& m = *image;
    if (m.text_surface || (passed & 8)) return raise_error(error_illegal_call);
    if (!m.pixels) return;
    uint32_t given = (passed & 2) ? fill_color : m.fg_color;
    uint32_t f = given & m.color_mask;
    m.draw_color = f;
    if (passed & 1) {
        m.pen_x += x;
        m.pen_y += y;
    } else {
        m.pen_x = x;
        m.pen_y = y;
    }
    double sx = seed_coordinate(m.pen_x, m.scale_x, m.scale_offset_x, m.view_origin_x, m.coord_mode);
    double sy = seed_coordinate(m.pen_y, m.scale_y, m.scale_offset_y, m.view_origin_y, m.coord_mode);
    // The viewport, kept inside the image whatever its fields say.
    Clip clip{std::max(0, m.clip_left), std::max(0, m.clip_top), std::min<int32_t>(m.clip_right, m.width - 1),
              std::min<int32_t>(m.clip_bottom, m.height - 1)};
    if (!(sx >= clip.left && sx <= clip.right && sy >= clip.top && sy <= clip.bottom)) return;
    int32_t px = static_cast<int32_t>(sx), py = static_cast<int32_t>(sy);
    uint32_t b = ((passed & 4) ? border_color : given) & m.color_mask;
    size_t seed = size_t(py) * m.width + px;
    uint32_t seed_color = m.bytes_per_pixel == 4 ? reinterpret_cast<uint32_t*>(m.pixels)[seed] : m.pixels[seed];
    if ((seed_color & m.color_mask) == b) return;
    if (!prepare(size_t(m.width) * m.height)) return;
    if (m.bytes_per_pixel == 4) fill_region<uint32_t>(m, clip, px, py, f, b);
    else fill_region<uint8_t>(m, clip, px, py, f, b);
    note_display_change();
    announce_display_change();
}

size_t visited_map_size() { return fill_state.visited_size; }

bool visited_map_clear() {
    const uint8_t* v = fill_state.visited_map;
    return std::all_of(v, v + fill_state.visited_size, [](uint8_t b) { return b == 0; });
}

size_t fill_list_capacity() { return fill_state.lists[0].capacity; }
