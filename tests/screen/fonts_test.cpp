#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <string>

#include "runtime/screen/fonts.h"
#include "runtime/screen/palettes.h"

namespace {

// A glyph packed one bit per pixel, leftmost pixel in the high bit.
std::string packed(const uint8_t* glyph, int rows) {
    std::string out;
    char hex[4];
    for (int r = 0; r < rows; ++r) {
        int value = 0;
        for (int c = 0; c < 8; ++c) value = value << 1 | (glyph[r * 8 + c] ? 1 : 0);
        std::snprintf(hex, sizeof hex, "%s%02x", r ? " " : "", value);
        out += hex;
    }
    return out;
}

class Fonts : public ::testing::Test {
protected:
    void SetUp() override {
        fill_font_tables();
        load_fonts();
    }
};

TEST_F(Fonts, GlyphsAreStoredAsClearOrSetBytes) {
    for (uint8_t b : font8x8) ASSERT_TRUE(b == 0 || b == 255);
    for (uint8_t b : font8x16) ASSERT_TRUE(b == 0 || b == 255);
}

TEST_F(Fonts, TellingGlyphsHaveTheirRows) {
    struct Case {
        int code;
        const char* rows8;
        const char* rows16;
    };
    const Case cases[] = {
        {65, "30 78 cc cc fc cc cc 00", "00 00 10 38 6c c6 c6 fe c6 c6 c6 c6 00 00 00 00"},
        {2, "7e ff db ff c3 e7 ff 7e", "00 00 7e ff db ff ff c3 e7 ff ff 7e 00 00 00 00"},
        {8, "ff ff e7 c3 c3 e7 ff ff", "ff ff ff ff ff ff e7 c3 c3 e7 ff ff ff ff ff ff"},
        {176, "22 88 22 88 22 88 22 88", "11 44 11 44 11 44 11 44 11 44 11 44 11 44 11 44"},
        {177, "55 aa 55 aa 55 aa 55 aa", "55 aa 55 aa 55 aa 55 aa 55 aa 55 aa 55 aa 55 aa"},
        {178, "db 77 db ee db 77 db ee", "dd 77 dd 77 dd 77 dd 77 dd 77 dd 77 dd 77 dd 77"},
        {186, "36 36 36 36 36 36 36 36", "36 36 36 36 36 36 36 36 36 36 36 36 36 36 36 36"},
        {231, "00 76 dc 18 18 18 18 00", "00 00 00 00 76 dc 18 18 18 18 18 18 00 00 00 00"},
        {235, "1c 30 18 7c cc cc 78 00", "00 00 1e 30 18 0c 3e 66 66 66 66 3c 00 00 00 00"},
        {219, "ff ff ff ff ff ff ff ff", "ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(packed(font8x8 + c.code * 64, 8), c.rows8) << c.code;
        EXPECT_EQ(packed(font8x16 + c.code * 128, 16), c.rows16) << c.code;
    }
}

TEST_F(Fonts, OnlyZeroSpaceAnd255AreBlankOnly219IsFullAllOthersDistinct) {
    struct Set {
        uint32_t font;
        int bytes;
    };
    for (Set set : {Set{8, 64}, Set{14, 112}, Set{16, 128}}) {
        std::set<std::string> seen;
        for (int code = 0; code < 256; ++code) {
            const uint8_t* g = glyph_pixels(set.font, static_cast<uint8_t>(code));
            std::string bytes(reinterpret_cast<const char*>(g), set.bytes);
            bool blank = bytes == std::string(set.bytes, '\0');
            bool full = bytes == std::string(set.bytes, '\xff');
            EXPECT_EQ(blank, code == 0 || code == 32 || code == 255) << set.font << " " << code;
            EXPECT_EQ(full, code == 219) << set.font << " " << code;
            if (!blank) {
                EXPECT_TRUE(seen.insert(bytes).second) << set.font << " duplicate " << code;
            }
        }
    }
}

TEST_F(Fonts, FourteenRowFontIsTheMiddleOfTheSixteenRowGlyphs) {
    EXPECT_EQ(glyph_pixels(14, 65), font8x16 + 65 * 128 + 8);
    EXPECT_EQ(glyph_pixels(9, 65), nullptr);
    EXPECT_EQ(builtin_glyph_height(14), 14);
}

TEST_F(Fonts, SizeTablesCoverTheSixBuiltInHandles) {
    const int expected[][3] = {{8, 8, 8}, {14, 14, 8}, {16, 16, 8}, {9, 8, 16}, {15, 14, 16}, {17, 16, 16}};
    for (const auto& e : expected) {
        EXPECT_EQ(font_height_table[e[0]], e[1]);
        EXPECT_EQ(font_width_table[e[0]], e[2]);
        EXPECT_EQ(font_flags_table[e[0]], 16);
    }
    EXPECT_EQ(font_height_table[10], 0);
}

TEST(Palettes, VgaColoursFollowTheLevelRule) {
    const std::pair<int, uint32_t> known[] = {{0, 0x000000}, {1, 0x0000AA}, {6, 0xAA5500},  {8, 0x555555},
                                              {15, 0xFFFFFF}, {16, 0x000000}, {31, 0xFFFFFF}, {30, 0xE3E3E3},
                                              {40, 0xFF0000}, {41, 0xFF4100}, {42, 0xFF7D00}, {43, 0xFFBE00},
                                              {44, 0xFFFF00}, {32, 0x0000FF}, {247, 0x2D3141}, {248, 0}};
    for (auto [index, rgb] : known) EXPECT_EQ(vga256_palette[index], rgb) << index;
    for (int i = 248; i < 256; ++i) EXPECT_EQ(vga256_palette[i], 0u);
}

TEST(Palettes, EgaEntriesComeFromTheirBits) {
    EXPECT_EQ(ega64_palette[6], 0xAAAA00u);
    EXPECT_EQ(ega64_palette[20], 0xAA5500u);
    EXPECT_EQ(ega64_palette[63], 0xFFFFFFu);
    EXPECT_EQ(ega64_palette[56], 0x555555u);
}

TEST(Palettes, StartUpCopiesCarryAnOpaqueAlpha) {
    load_palettes();
    EXPECT_EQ(vga256_colors[44], 0xFFFFFF00u);
    EXPECT_EQ(ega64_colors[0], 0xFF000000u);
}

}  // namespace
