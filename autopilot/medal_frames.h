// The two last pictures of a won Hard game, built from the game's own
// drawing rules: the medal screen after the ending, and the title with the
// medal above the menu. A screenshot of the 320 x 200 window must match
// them pixel for pixel.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "x_session_linux.h"

// Mode 13's 40 x 25 cells as PRINT leaves them: a code and a colour each,
// drawn on black.
struct TextPicture {
    std::array<std::array<uint8_t, 41>, 26> code{}, color{};

    void print(int row, int col, const std::string& text, int ink) {
        for (char c : text) {
            code[row][col] = static_cast<uint8_t>(c);
            color[row][col] = static_cast<uint8_t>(ink);
            if (++col > 40) col = 1, ++row;
        }
    }

    // Pixels of the screenshot that differ from the picture; -1 when it is
    // not a 320 x 200 picture.
    int differing_pixels(const std::string& ppm) const {
        PpmView view(ppm);
        if (view.width != 320 || view.height != 200) return -1;
        int differing = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x) {
                const int row = y / 8 + 1, col = x / 8 + 1;
                const bool ink = packed_font8x8[code[row][col] * 8 + y % 8] & (0x80 >> x % 8);
                const uint32_t wanted = vga256_palette[ink ? color[row][col] : 0] & 0xFFFFFF;
                differing += view.at(x, y) != wanted;
            }
        return differing;
    }
};

// The medal screen; bravo_color 0 once "BRAVO" has blinked its last.
inline TextPicture medal_screen(int bravo_color) {
    TextPicture picture;
    picture.print(1, 1, "Congratulation! You have beaten the hard mode! You are a real player!", 40);
    picture.print(4, 1, "   You have won the following medal:", 12);
    picture.print(6, 17, "\x05", 115);
    picture.print(7, 17, "\x0f", 44);
    if (bravo_color != 0) picture.print(10, 16, "BRAVO", bravo_color);
    return picture;
}

// The title after a Hard game as the menu shows it (Hard, the other
// options as at the start): the framed name and the medal drawn on
// rows 10 to 14 and scrolled up eight rows, the hero and the villain with
// his bomb on row 5, the menu lines.
inline TextPicture title_with_medal(int lives) {
    std::string frame;
    for (int i = 0; i < 15; ++i) frame += i % 2 == 0 ? '\xeb' : '*';
    const struct {
        int row, col;
        std::string text;
        int color;
    } prints[] = {
        {2, 13, frame, 25}, {3, 13, "*             *", 25}, {4, 13, frame, 25}, {5, 17, "\x05", 115}, {6, 17, "\x0f", 44},
        {3, 15, "TOMMY-ZAPPO", 40}, {5, 8, "\x02", 66}, {5, 32, "\x02\xeb", 20},
        {9, 15, "A- Play", 51}, {10, 14, "1-9 Practice level", 52}, {11, 15, "B- Lifes: " + std::to_string(lives), 53},
        {12, 15, "C- Ennemy sound: yes", 54}, {13, 15, "D- Difficulty: Hard", 54}, {14, 15, "S- Fullscreen: off", 56},
        {15, 15, "T- Joystick: off", 57}, {16, 15, "E- Help", 58}, {17, 15, "F- Exit", 59},
    };
    TextPicture picture;
    for (const auto& line : prints) picture.print(line.row, line.col, line.text, line.color);
    return picture;
}
