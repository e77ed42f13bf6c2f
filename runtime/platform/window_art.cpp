#include "runtime/platform/window_art.h"

#include <cstring>

namespace {

// A round bomb with a lit fuse. Letters are palette entries of the BMP.
constexpr const char* icon_rows[32] = {
    "................................",
    "......................Y.........",
    ".....................YRY...Y....",
    "...................Y.YRY.Y......",
    "....................YRRY........",
    "..................WWW.Y..Y......",
    ".................W...W..........",
    "................W.....W.........",
    "...............W.......W........",
    "..........KKKKKKKK.....W........",
    "..........KGGGGGGK..............",
    "..........KGGGGGGK..............",
    ".......KKKKKKKKKKKKKK...........",
    ".....KKKKKKKKKKKKKKKKKK.........",
    "....KKKKGGGKKKKKKKKKKKKK........",
    "...KKKGGWWGKKKKKKKKKKKKKK.......",
    "...KKKGWWGKKKKKKKKKKKKKKK.......",
    "..KKKKGGGKKKKKKKKKKKKKKKKK......",
    "..KKKKKGKKKKKKKKKKKKKKKKKK......",
    "..KKKKKKKKKKKKKKKKKKKKKKKK......",
    "..KKKKKKKKKKKKKKKKKKKKKKKK......",
    "..KKKKKKKKKKKKKKKKKKKKKKKK......",
    "..KKKKKKKKKKKKKKKKKKKKKKKK......",
    "...KKKKKKKKKKKKKKKKKKKKKK.......",
    "...KKKKKKKKKKKKKKKKKKKKKK.......",
    "....KKKKKKKKKKKKKKKKKKKK........",
    ".....KKKKKKKKKKKKKKKKKK.........",
    ".......KKKKKKKKKKKKKK...........",
    "..........KKKKKKKK..............",
    "................................",
    "................................",
    "................................",
};

struct IconColor {
    char letter;
    uint8_t r, g, b;
};

// Entry 0 ('.') is the background, made transparent by a colour key.
constexpr IconColor icon_palette[] = {
    {'.', 255, 0, 255}, {'K', 24, 24, 40}, {'G', 90, 90, 110}, {'W', 230, 230, 230}, {'Y', 255, 220, 0}, {'R', 230, 40, 0},
};

uint8_t icon_index(char letter) {
    for (size_t i = 0; i < sizeof icon_palette / sizeof icon_palette[0]; ++i)
        if (icon_palette[i].letter == letter) return static_cast<uint8_t>(i);
    return 0;
}

void put_le(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> build_icon_bmp() {
    constexpr uint32_t palette_bytes = 256 * 4;
    constexpr uint32_t pixel_offset = 14 + 40 + palette_bytes;
    constexpr uint32_t pixel_bytes = 32 * 32;
    std::vector<uint8_t> out;
    out.reserve(pixel_offset + pixel_bytes);
    out.push_back('B');
    out.push_back('M');
    put_le(out, pixel_offset + pixel_bytes, 4);
    put_le(out, 0, 4);
    put_le(out, pixel_offset, 4);
    put_le(out, 40, 4);  // BITMAPINFOHEADER
    put_le(out, 32, 4);
    put_le(out, 32, 4);  // positive height: rows stored bottom-up
    put_le(out, 1, 2);
    put_le(out, 8, 2);
    put_le(out, 0, 4);
    put_le(out, pixel_bytes, 4);
    put_le(out, 2835, 4);
    put_le(out, 2835, 4);
    put_le(out, 256, 4);
    put_le(out, 0, 4);
    for (int i = 0; i < 256; ++i) {
        IconColor c = i < static_cast<int>(sizeof icon_palette / sizeof icon_palette[0]) ? icon_palette[i] : IconColor{'.', 0, 0, 0};
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int row = 31; row >= 0; --row)
        for (int col = 0; col < 32; ++col) out.push_back(icon_index(icon_rows[row][col]));
    return out;
}

// The pointer, row by row: X black, . white, anything else transparent.
constexpr const char* cursor_rows[20] = {
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.........X",
    "X......XXXXX",
    "X...X..X",
    "X..XX..X",
    "X.X--X..X",
    "XX---X..X",
    "X-----X..X",
    "------X..X",
    "-------X..X",
    "--------XX",
};

}  // namespace

const std::vector<uint8_t>& window_icon_bmp() {
    static const std::vector<uint8_t> bmp = build_icon_bmp();
    return bmp;
}

void set_window_icon() {
    const std::vector<uint8_t>& bmp = window_icon_bmp();
    SDL_RWops* source = SDL_RWFromConstMem(bmp.data(), static_cast<int>(bmp.size()));
    if (!source) return;
    SDL_Surface* icon = SDL_LoadBMP_RW(source, 1);
    if (!icon) return;
    SDL_SetColorKey(icon, SDL_SRCCOLORKEY, 0);
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);
}

void cursor_bits(uint8_t data[128], uint8_t mask[128]) {
    std::memset(data, 0, 128);
    std::memset(mask, 0, 128);
    for (int row = 0; row < 20; ++row) {
        for (int col = 0; cursor_rows[row][col] != '\0'; ++col) {
            char pixel = cursor_rows[row][col];
            uint8_t bit = static_cast<uint8_t>(0x80 >> (col % 8));
            int index = row * 4 + col / 8;
            if (pixel == 'X') {
                data[index] |= bit;
                mask[index] |= bit;
            } else if (pixel == '.') {
                mask[index] |= bit;
            }
        }
    }
}

SDL_Cursor* create_runtime_cursor() {
    uint8_t data[128];
    uint8_t mask[128];
    cursor_bits(data, mask);
    return SDL_CreateCursor(data, mask, 32, 32, 0, 0);
}
