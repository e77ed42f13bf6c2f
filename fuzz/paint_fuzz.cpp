// PAINT on random pictures fills exactly the 4-connected region of
// non-border pixels around the seed inside the viewport, as a plain
// stack-based fill finds it, writes nothing outside the image, and leaves
// the visited map clear.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/screen_fuzz_input.h"
#include "runtime/core/runtime_control.h"
#include "runtime/screen/flood_fill.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"

namespace {

// The region the fill must colour, found the plain way.
std::vector<uint8_t> expected_fill(const ScreenImage& m, int32_t sx, int32_t sy, uint8_t f, uint8_t b, int32_t l,
                                   int32_t t, int32_t r, int32_t bo) {
    std::vector<uint8_t> out(m.pixels, m.pixels + size_t(m.width) * m.height);
    if (sx < l || sx > r || sy < t || sy > bo || (out[sy * m.width + sx] & m.color_mask) == b) return out;
    std::vector<uint8_t> seen(out.size(), 0);
    std::vector<std::pair<int32_t, int32_t>> stack{{sx, sy}};
    seen[sy * m.width + sx] = 1;
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        out[y * m.width + x] = f;
        const int32_t dx[] = {-1, 1, 0, 0}, dy[] = {0, 0, -1, 1};
        for (int d = 0; d < 4; ++d) {
            int32_t nx = x + dx[d], ny = y + dy[d];
            if (nx < l || nx > r || ny < t || ny > bo) continue;
            size_t at = size_t(ny) * m.width + nx;
            if (seen[at]) continue;
            seen[at] = 1;
            if ((m.pixels[at] & m.color_mask) != b) stack.push_back({nx, ny});
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    start_screen_for_input();
    FuzzInput in{data, size};
    int32_t width = 1 + in.next() % 96, height = 1 + in.next() % 64;
    int32_t mode = in.next() % 2 ? 256 : 12;
    int32_t handle = create_image(width, height, mode);
    check(handle != 0);
    set_screen_mode(-handle, 0, 0, 0, 0, 1);
    ScreenImage& m = *write_image_record();
    // Few colours make mazes of borders.
    uint8_t palette_size = 1 + in.next() % 4;
    for (int32_t i = 0; i < width * height; ++i) m.pixels[i] = in.next() % palette_size * 5;
    // A viewport, sometimes reaching beyond the image.
    m.clip_left = in.next() % 100 - 4;
    m.clip_top = in.next() % 70 - 4;
    m.clip_right = m.clip_left + in.next() % 110;
    m.clip_bottom = m.clip_top + in.next() % 80;
    m.coord_mode = in.next() % 3;
    m.view_origin_x = in.next() % 9 - 4;
    m.view_origin_y = in.next() % 9 - 4;
    m.scale_x = (in.next() % 5) * 0.5f;
    m.scale_y = (in.next() % 5) * 0.5f;
    m.scale_offset_x = in.next() % 7;
    m.scale_offset_y = in.next() % 7;
    uint32_t passed = in.next() & 7;
    float x = (in.next() % 250) * 0.5f - 20, y = (in.next() % 200) * 0.5f - 20;
    uint32_t fill = in.next() % 12 * 5, border = in.next() % 4 * 5;
    std::vector<uint8_t> before(m.pixels, m.pixels + size_t(width) * height);

    // The seed and colours as PAINT derives them.
    float pen_x = (passed & 1) ? m.pen_x + x : x, pen_y = (passed & 1) ? m.pen_y + y : y;
    auto seed = [&](float pen, float scale, float offset, int32_t origin) {
        if (m.coord_mode == 2) return std::nearbyint(double(pen) * scale + offset) + origin;
        return std::nearbyint(double(pen)) + (m.coord_mode == 1 ? origin : 0);
    };
    double sx = seed(pen_x, m.scale_x, m.scale_offset_x, m.view_origin_x);
    double sy = seed(pen_y, m.scale_y, m.scale_offset_y, m.view_origin_y);
    uint32_t given = (passed & 2) ? fill : m.fg_color;
    uint8_t f = given & m.color_mask, b = ((passed & 4) ? border : given) & m.color_mask;
    int32_t l = std::max(0, m.clip_left), t = std::max(0, m.clip_top);
    int32_t r = std::min(m.clip_right, width - 1), bo = std::min(m.clip_bottom, height - 1);
    bool inside = sx >= l && sx <= r && sy >= t && sy <= bo;
    std::vector<uint8_t> want = inside ? expected_fill(m, int32_t(sx), int32_t(sy), f, b, l, t, r, bo) : before;

    paint_fill(x, y, fill, border, 0, passed);
    check(control.pending_error.load() == 0);
    check(std::memcmp(m.pixels, want.data(), want.size()) == 0);
    check(visited_map_clear());
    check(m.draw_color == f);
    return 0;
}
