#include <gtest/gtest.h>

#include <set>

#include "runtime/input/key_table.h"

namespace {

const KeyEntry& extended_entry(uint32_t index) { return key_table[key_table_extended + index]; }
const KeyEntry& keypad_entry(uint32_t key) { return key_table[key_table_keypad + key]; }

TEST(KeyTable, EveryPrintableCharacterHasAKeyAndItselfAsPlainCode) {
    for (uint32_t ch = 32; ch < 127; ++ch) {
        EXPECT_NE(key_table[ch][1], 0u) << ch;
        EXPECT_EQ(key_table[ch][2], ch) << ch;
        EXPECT_EQ(key_table[ch][3], ch) << ch;
    }
    for (uint32_t ch : {0u, 7u, 10u, 31u, 127u, 128u, 200u, 255u}) {
        EXPECT_EQ(key_table[ch][1], 0u) << ch;
        EXPECT_EQ(key_table[ch][2], 0u) << ch;
    }
}

TEST(KeyTable, CharactersOnOneKeyShareItsScanAndCodes) {
    EXPECT_EQ(key_table['e'][1], 0x12u);
    EXPECT_EQ(key_table['E'][4], 5u);
    EXPECT_EQ(key_table['z'][5], 0x2C00u);
    EXPECT_EQ(key_table['@'][1], 0x03u);
    EXPECT_EQ(key_table['@'][4], 0x0300u);
    EXPECT_EQ(key_table['^'][4], 0x1Eu);
    EXPECT_EQ(key_table['1'][4], 0u);
    EXPECT_EQ(key_table[')'][5], 0x8100u);
    EXPECT_EQ(key_table['?'][1], 0x35u);
    EXPECT_EQ(key_table['"'][5], 0x2800u);
    EXPECT_EQ(key_table['_'][4], 0x1Fu);
    EXPECT_EQ(key_table['~'][1], 0x29u);
    EXPECT_EQ(key_table['|'][4], 0x1Cu);
}

TEST(KeyTable, ControlKeysHaveTheirOwnColumns) {
    EXPECT_EQ(key_table[8][4], 0x7Fu);
    EXPECT_EQ(key_table[8][5], 0x0E00u);
    EXPECT_EQ(key_table[9][3], 0x0F00u);
    EXPECT_EQ(key_table[9][4], 0x9400u);
    EXPECT_EQ(key_table[13][4], 10u);
    EXPECT_EQ(key_table[27][1], 0x01u);
    EXPECT_EQ(key_table[' '][4], 32u);
}

TEST(KeyTable, FunctionAndNavigationKeysByScan) {
    EXPECT_EQ(extended_entry(0x3B)[2], 0x3B00u);
    EXPECT_EQ(extended_entry(0x44)[3], 0x5D00u);
    EXPECT_EQ(extended_entry(0x44)[4], 0x6700u);
    EXPECT_EQ(extended_entry(0x44)[5], 0x7100u);
    EXPECT_EQ(extended_entry(0x85)[1], 0x57u);  // F11 sits at its code, not its scan
    EXPECT_EQ(extended_entry(0x86)[5], 0x8C00u);
    EXPECT_EQ(extended_entry(0x57)[2], 0u);
    EXPECT_EQ(extended_entry(0x48)[4], 0x8D00u);
    EXPECT_EQ(extended_entry(0x51)[5], 0xA100u);
    EXPECT_EQ(extended_entry(0x53)[3], 0x5300u);
}

TEST(KeyTable, KeypadColumnsSwapDigitAndNavigation) {
    const KeyEntry& seven = keypad_entry(7);
    EXPECT_EQ(seven[1], 0x47u);
    EXPECT_EQ(seven[2], 0x4700u);
    EXPECT_EQ(seven[3], uint32_t{'7'});
    EXPECT_EQ(seven[4], 0x7700u);
    EXPECT_EQ(seven[5], 0u);
    EXPECT_EQ(seven[6], uint32_t{'7'});
    EXPECT_EQ(seven[7], 0u);
    EXPECT_EQ(seven[8], 0u);
    EXPECT_EQ(seven[9], 0x4700u);
    EXPECT_EQ(keypad_entry(5)[2], 0x4C00u);
    EXPECT_EQ(keypad_entry(5)[4], 0x8F00u);
    EXPECT_EQ(keypad_entry(10)[6], uint32_t{'.'});
    EXPECT_EQ(keypad_entry(12)[2], uint32_t{'*'});
    EXPECT_EQ(keypad_entry(12)[5], 0x3700u);
    EXPECT_EQ(keypad_entry(14)[4], 0x9000u);
    EXPECT_EQ(keypad_entry(15)[5], 0xA600u);
    EXPECT_EQ(keypad_entry(15)[1], 0x1Cu);
}

TEST(CodepageTable, HoldsCodePage437) {
    EXPECT_EQ(codepage_table[0], 0x0020);
    EXPECT_EQ(codepage_table[1], 0x263A);
    EXPECT_EQ(codepage_table['A'], 'A');
    EXPECT_EQ(codepage_table[0x7F], 0x2302);
    EXPECT_EQ(codepage_table[130], 0x00E9);
    EXPECT_EQ(codepage_table[0xDB], 0x2588);
    EXPECT_EQ(codepage_table[0xE1], 0x00DF);
    EXPECT_EQ(codepage_table[0xFF], 0x00A0);
    // Apart from the space standing in for 0x00, every code point is used once.
    std::set<uint16_t> seen(codepage_table.begin() + 1, codepage_table.end());
    EXPECT_EQ(seen.size(), 255u);
}

}  // namespace
