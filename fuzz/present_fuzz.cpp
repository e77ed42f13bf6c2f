// Frames of any size drawn at any offset into targets of any size, text
// screens with any cells, cursor and font shape, and dialogs with any text in
// any surface: none may read outside the image or write outside the target.
// Every buffer is exactly as large as it claims, so AddressSanitizer sees a
// single stray access.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/screen/dialog_view.h"
#include "runtime/screen/fonts.h"
#include "runtime/screen/present_frame.h"
#include "runtime/screen/present_text.h"

namespace {

// Reads the fuzzer's bytes as the numbers of one case; zero past the end.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint32_t byte() { return at < size ? data[at++] : 0; }
    int32_t number(int32_t limit) { return static_cast<int32_t>((byte() << 8 | byte()) % static_cast<uint32_t>(limit)); }
    int32_t signed_number(int32_t limit) { return number(2 * limit) - limit; }
};

void frames(Reader& in) {
    int32_t width = in.number(700) + 1, height = in.number(500) + 1;
    int32_t target_width = in.number(1100) + 1, target_height = in.number(800) + 1;
    int32_t pitch = target_width + in.number(8);
    int32_t ox = in.signed_number(1200), oy = in.signed_number(900), repeat = static_cast<int32_t>(in.byte() % 10);  // 0 to 9: a scaled window's factors too
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(in.byte() + i);
    uint32_t palette[256];
    for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x01010101u;
    uint32_t table[256];
    build_colour_table(palette, in.byte(), table);
    std::vector<uint32_t> target(static_cast<size_t>(pitch) * (target_height - 1) + target_width);
    FrameTarget frame{target.data(), target_width, target_height, pitch};
    draw_indexed_frame(pixels.data(), width, height, table, frame, ox, oy, repeat);
    std::vector<uint32_t> rgb(static_cast<size_t>(width) * height, 0xFF00FF00);
    draw_rgb32_frame(rgb.data(), width, height, frame, oy, ox, repeat);
    fill_frame(frame, 0);
}

void text(Reader& in) {
    int32_t columns = in.number(90) + 1, rows = in.number(60) + 1;
    std::vector<uint8_t> cells(static_cast<size_t>(columns) * rows * 2);
    for (uint8_t& b : cells) b = static_cast<uint8_t>(in.byte());
    uint32_t palette[256];
    for (uint32_t i = 0; i < 256; ++i) palette[i] = i;
    int32_t glyph_rows = in.number(17);
    TextGlyphs glyphs{in.byte() & 1 ? font8x16 : nullptr, 128, glyph_rows, (in.byte() & 1) != 0};
    TextView view{cells.data(), columns, rows, palette, in.signed_number(100), in.signed_number(100),
                  static_cast<int32_t>(in.byte() % 3), true, static_cast<int32_t>(in.byte() % 32),
                  static_cast<int32_t>(in.byte() % 32)};
    int32_t target_width = in.number(1500) + 1, target_height = in.number(1000) + 1;
    std::vector<uint32_t> target(static_cast<size_t>(target_width) * target_height);
    TextFrameState state;
    FrameTarget frame{target.data(), target_width, target_height, target_width};
    int32_t counter = static_cast<int32_t>(in.byte());
    draw_text_frame(state, view, glyphs, true, counter, frame, in.signed_number(50), in.signed_number(50), 1 + static_cast<int32_t>(in.byte() % 8));
    cells[0] ^= 1;
    draw_text_frame(state, view, glyphs, false, counter + 4, frame, 0, 0, 1);
}

void dialog(Reader& in, const uint8_t* data, size_t size) {
    int32_t width = in.number(1100) + 1, height = in.number(800) + 1;
    size_t split = size / 3;
    std::string caption(reinterpret_cast<const char*>(data), split);
    std::string text(reinterpret_cast<const char*>(data) + split, size - split);
    caption = caption.substr(0, caption.find('\0'));
    text = text.substr(0, text.find('\0'));
    int32_t scale = 1 + static_cast<int32_t>(in.byte() % 8);
    DialogLayout layout = layout_dialog(caption.c_str(), text.c_str(), in.byte() & 1 ? DialogButtons::ok : DialogButtons::yes_no,
                                        width / scale, height / scale);
    std::vector<uint32_t> target(static_cast<size_t>(width) * height);
    draw_dialog(layout, font8x16, {target.data(), width, height, width}, scale);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    load_fonts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    switch (in.byte() % 3) {
    case 0: frames(in); break;
    case 1: text(in); break;
    default: dialog(in, data, size); break;
    }
    return 0;
}
