// PRINT with arbitrary bytes from arbitrary cursor states never writes
// outside the image and always leaves the cursor on the text grid. The
// input's first bytes choose the mode, colours, draw mode, print area and a
// starting cursor; the rest is cut into PRINT items, each with or without a
// line end, mixed with LOCATE, COLOR, CLS, the PRINT comma, VIEW PRINT,
// WIDTH and printing at a pixel.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/core/emulated_memory.h"
#include "fuzz/screen_fuzz_input.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/strings.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"

namespace {

std::vector<uint8_t> memory_before;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    start_screen_for_input();
    text_output_state = TextOutputState{};
    FuzzInput in{data, size};
    const int32_t modes[] = {13, 12, 0, 9, 1, 2, 7, 8, 10, 11};
    set_screen_mode(modes[in.next() % 10], 0, 0, 0, 0, 1);
    control.pending_error = 0;
    ScreenImage& m = *write_image_record();
    m.fg_color = static_cast<uint32_t>(in.next16()) * 3;
    m.bg_color = static_cast<uint32_t>(in.next16());
    m.text_draw_mode = in.next() % 4;
    text_output_state.control_chars_as_glyphs = in.next() % 2;
    int16_t top = in.next16(), bottom = in.next16();
    view_print_statement(top, bottom, in.next() % 2 ? 3 : 0);
    control.pending_error = 0;
    locate_statement(in.next16(), in.next16(), 0, 0, 0, in.next() % 4);
    control.pending_error = 0;
    m.wrap_pending = in.next() % 3;
    memory_before.assign(emulated_memory, emulated_memory + emulated_memory_size);

    while (in.at < in.size) {
        uint8_t op = in.next();
        if (op < 200) {
            std::vector<uint8_t> item(op % 90);
            for (uint8_t& b : item) {
                b = in.next();
                if (b == 7) b = 8;  // the bell sleeps a quarter second: no use here
            }
            print_fit_check_length(static_cast<int32_t>(item.size()));
            print_bytes(item.data(), static_cast<int32_t>(item.size()), op & 1);
        } else if (op < 215) {
            locate_statement(in.next16(), in.next16(), in.next(), in.next(), in.next(), in.next());
        } else if (op < 225) {
            color_statement(in.next16(), in.next16(), 0, in.next() % 4);
        } else if (op < 235) {
            cls_statement(in.next() % 4, in.next(), in.next() % 4);
        } else if (op < 245) {
            print_zone_tab();
        } else if (op < 250) {
            view_print_statement(in.next16(), in.next16(), in.next() % 4);
        } else if (op < 252) {
            width_statement(in.next16(), in.next16(), in.next() % 4);
        } else {
            // Printing at any pixel, partly or wholly outside the image.
            int32_t x = in.next16() * (in.next() % 4 ? 1 : 60000), y = in.next16();
            std::vector<uint8_t> item(in.next() % 60);
            for (uint8_t& b : item) b = in.next();
            StringDescriptor text{};
            text.data = item.data();
            text.length = static_cast<int32_t>(item.size());
            print_at_pixel(x, y, &text, 0, 0);
        }
        control.pending_error = 0;
        ScreenImage& now = *write_image_record();
        int32_t rows = text_rows(now), columns = text_columns(now);
        check(now.cursor_row >= 1 && now.cursor_row <= rows);
        check(now.cursor_col >= 1 && now.cursor_col <= columns);
        check(now.print_top_row >= 1 && now.print_top_row <= now.print_bottom_row && now.print_bottom_row <= rows);
    }
    // Only the screen's own bytes of emulated memory may have changed.
    ScreenImage& now = *write_image_record();
    size_t first = 0, end = 0;
    if (now.pixels >= emulated_memory && now.pixels < emulated_memory + emulated_memory_size) {
        first = static_cast<size_t>(now.pixels - emulated_memory);
        end = first + size_t(now.width) * now.height * now.bytes_per_pixel;
    }
    check(end <= emulated_memory_size);
    check(std::memcmp(emulated_memory, memory_before.data(), first) == 0);
    check(std::memcmp(emulated_memory + end, memory_before.data() + end, emulated_memory_size - end) == 0);
    return 0;
}
