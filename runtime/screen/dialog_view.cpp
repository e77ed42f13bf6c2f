#include "runtime/screen/dialog_view.h"

#include <algorithm>

namespace {

constexpr uint32_t white = 0xFFFFFFFF;
constexpr uint32_t black = 0xFF000000;
constexpr uint32_t light_grey = 0xFFAAAAAA;
constexpr uint32_t title_blue = 0xFF0000AA;

constexpr int32_t frame_px = 2;       // white outer line, black inner line
constexpr int32_t padding_px = 8;
constexpr int32_t bar_height_px = dialog_glyph_height + 4;
constexpr int32_t button_height_px = dialog_glyph_height + 6;
constexpr int32_t button_gap_px = 16;
constexpr int32_t min_text_columns = 8;

int32_t text_width(const std::string& s) { return static_cast<int32_t>(s.size()) * dialog_glyph_width; }

// Draws in the layout's units, each one a scale x scale block of the target.
struct Painter {
    const FrameTarget& target;
    int32_t scale;

    void fill(const DialogRect& rect, uint32_t colour) const {
        int32_t x0 = std::max(rect.x * scale, 0), y0 = std::max(rect.y * scale, 0);
        int32_t x1 = std::min((rect.x + rect.width) * scale, target.width);
        int32_t y1 = std::min((rect.y + rect.height) * scale, target.height);
        for (int32_t y = y0; y < y1; ++y)
            std::fill_n(target.pixels + static_cast<size_t>(y) * target.pitch_words + x0, std::max(0, x1 - x0), colour);
    }

    void outline(const DialogRect& r, uint32_t colour) const {
        fill({r.x, r.y, r.width, 1}, colour);
        fill({r.x, r.y + r.height - 1, r.width, 1}, colour);
        fill({r.x, r.y, 1, r.height}, colour);
        fill({r.x + r.width - 1, r.y, 1, r.height}, colour);
    }

    // Text of glyphs drawn with only their set pixels, cut at max_x.
    void text(const uint8_t* glyphs, const std::string& s, int32_t x, int32_t y, int32_t max_x, uint32_t colour) const {
        for (unsigned char c : s) {
            if (x + dialog_glyph_width > max_x) return;
            const uint8_t* glyph = glyphs + static_cast<size_t>(c) * dialog_glyph_width * dialog_glyph_height;
            for (int32_t gy = 0; gy < dialog_glyph_height; ++gy)
                for (int32_t gx = 0; gx < dialog_glyph_width; ++gx)
                    if (glyph[gy * dialog_glyph_width + gx] != 0) fill({x + gx, y + gy, 1, 1}, colour);
            x += dialog_glyph_width;
        }
    }
};

}  // namespace

std::vector<std::string> wrap_dialog_text(const std::string& text, int32_t columns) {
    std::vector<std::string> lines;
    size_t width = static_cast<size_t>(std::max(columns, 1));
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        do {
            if (paragraph.size() <= width) {
                lines.push_back(paragraph);
                break;
            }
            size_t cut = paragraph.rfind(' ', width);
            size_t resume = cut + 1;
            if (cut == std::string::npos || cut == 0) cut = resume = width;
            lines.push_back(paragraph.substr(0, cut));
            paragraph.erase(0, resume);
        } while (!paragraph.empty());
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

DialogLayout layout_dialog(const char* caption, const char* text, DialogButtons buttons, int32_t surface_width,
                           int32_t surface_height) {
    DialogLayout layout;
    if (buttons == DialogButtons::yes_no) {
        layout.buttons.push_back({{}, "Yes (Y)", DialogAnswer::yes});
        layout.buttons.push_back({{}, "No (N)", DialogAnswer::no});
    } else {
        layout.buttons.push_back({{}, "OK (Enter)", DialogAnswer::ok});
    }
    int32_t buttons_width = -button_gap_px;
    for (DialogButtonView& button : layout.buttons) {
        button.rect.width = text_width(button.label) + 2 * padding_px;
        button.rect.height = button_height_px;
        buttons_width += button.rect.width + button_gap_px;
    }
    int32_t inner_room = std::max(surface_width - 2 * frame_px - 2 * padding_px - 8, 0);
    int32_t columns = std::max(inner_room / dialog_glyph_width, min_text_columns);
    layout.lines = wrap_dialog_text(text ? text : "", columns);
    int32_t inner = buttons_width;
    for (const std::string& line : layout.lines) inner = std::max(inner, text_width(line));
    layout.caption = caption ? caption : "";
    inner = std::max(inner, std::min(text_width(layout.caption), columns * dialog_glyph_width));
    int32_t box_width = inner + 2 * frame_px + 2 * padding_px;
    int32_t lines_height = static_cast<int32_t>(layout.lines.size()) * dialog_glyph_height;
    int32_t box_height = 2 * frame_px + bar_height_px + padding_px + lines_height + padding_px + button_height_px + padding_px;
    layout.box = {std::max((surface_width - box_width) / 2, 0), std::max((surface_height - box_height) / 2, 0), box_width, box_height};
    layout.title_bar = {layout.box.x + frame_px, layout.box.y + frame_px, box_width - 2 * frame_px, bar_height_px};
    size_t caption_room = static_cast<size_t>((layout.title_bar.width - 2 * padding_px) / dialog_glyph_width);
    if (layout.caption.size() > caption_room) layout.caption.resize(caption_room);
    layout.text_x = layout.box.x + frame_px + padding_px;
    layout.text_y = layout.title_bar.y + bar_height_px + padding_px;
    int32_t x = layout.box.x + (box_width - buttons_width) / 2;
    int32_t y = layout.text_y + lines_height + padding_px;
    for (DialogButtonView& button : layout.buttons) {
        button.rect.x = x;
        button.rect.y = y;
        x += button.rect.width + button_gap_px;
    }
    return layout;
}

void draw_dialog(const DialogLayout& layout, const uint8_t* glyphs8x16, const FrameTarget& target, int32_t scale) {
    if (!glyphs8x16 || !target.pixels || target.width <= 0 || target.height <= 0) return;
    const Painter painter{target, std::max(scale, 1)};
    const DialogRect& box = layout.box;
    painter.fill(box, light_grey);
    painter.outline(box, white);
    painter.outline({box.x + 1, box.y + 1, box.width - 2, box.height - 2}, black);
    painter.fill(layout.title_bar, title_blue);
    int32_t right = box.x + box.width - frame_px;
    painter.text(glyphs8x16, layout.caption, layout.title_bar.x + padding_px, layout.title_bar.y + 2, right, white);
    int32_t y = layout.text_y;
    for (const std::string& line : layout.lines) {
        painter.text(glyphs8x16, line, layout.text_x, y, right, black);
        y += dialog_glyph_height;
    }
    for (const DialogButtonView& button : layout.buttons) {
        painter.fill(button.rect, white);
        painter.outline(button.rect, black);
        painter.text(glyphs8x16, button.label, button.rect.x + padding_px, button.rect.y + 3, button.rect.x + button.rect.width, black);
    }
}
