#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/command_line.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"

namespace {

struct StringsTest : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        clear_emulated_memory();
        strings_start();
    }
    void TearDown() override { reset_runtime_control(); }
};

StringDescriptor* literal(const char* text) { return temp_cstring(text); }

StringDescriptor* variable(const char* text) {
    StringDescriptor* v = new_string(0, false);
    assign_string(v, literal(text));
    return v;
}

}  // namespace

TEST_F(StringsTest, StartUpStringsLiveInTheStringSegment) {
    StringDescriptor* nothing = nothing_string();
    StringDescriptor* space = space_string();
    EXPECT_EQ(nothing->length, 0);
    EXPECT_EQ(string_text(space), " ");
    EXPECT_EQ(nothing->in_emulated_memory, 1);
    EXPECT_EQ(space->data, emulated_memory + 1280 + 256);
    uint16_t entry[2];
    std::memcpy(entry, space->emulated_entry, sizeof entry);
    EXPECT_EQ(entry[0], 1);
    EXPECT_EQ(entry[1], 256);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(space->emulated_entry), emulated_memory + 1280 + space->emulated_entry_offset);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(emulated_memory[1280 + 0x10000 - 8 + i], 0);
}

TEST_F(StringsTest, NewStringsHaveHeadroom) {
    size_t used = string_storage.arena_used;
    StringDescriptor* a = new_string(10, false);
    StringDescriptor* b = new_string(0, false);
    EXPECT_EQ(b->data, a->data + 10 + 32);
    EXPECT_EQ(string_storage.arena_used, used + 10 + 32 + 32);
    EXPECT_EQ(a->list_index + 1, b->list_index);
}

TEST_F(StringsTest, LiteralsAreNotCopied) {
    static const char text[] = "HELLO";
    size_t used = string_storage.arena_used;
    StringDescriptor* t = temp_literal(text, 5);
    EXPECT_EQ(t->data, reinterpret_cast<const uint8_t*>(text));
    EXPECT_EQ(t->read_only, 1);
    EXPECT_EQ(t->temporary, 1);
    EXPECT_EQ(string_storage.arena_used, used);
    EXPECT_EQ(temp_cstring(nullptr)->length, 0);
    EXPECT_EQ(temp_literal(text, -4)->length, 0);
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(StringsTest, ConcatenationWithEmptyOperandsReturnsTheOtherOne) {
    StringDescriptor* left = literal("AB");
    StringDescriptor* empty = literal("");
    EXPECT_EQ(concat_strings(left, empty), left);
    EXPECT_EQ(concat_strings(empty, left), left);
    StringDescriptor* empty2 = literal("");
    EXPECT_EQ(concat_strings(empty, empty2), empty);
    StringDescriptor* joined = concat_strings(left, literal("CD"));
    EXPECT_EQ(string_text(joined), "ABCD");
    EXPECT_EQ(joined->temporary, 1);
    EXPECT_EQ(left->data, nullptr);  // the temporary operand went back to the pool
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(StringsTest, FixedLengthStringsPadAndCut) {
    StringDescriptor* fixed = new_fixed_string(5);
    assign_string(fixed, literal("abc"));
    EXPECT_EQ(string_text(fixed), "abc  ");
    assign_string(fixed, literal("1234567"));
    EXPECT_EQ(string_text(fixed), "12345");
    StringDescriptor* source = variable("xy");
    assign_string(fixed, source);
    EXPECT_EQ(string_text(fixed), "xy   ");
    EXPECT_EQ(string_text(source), "xy");
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(StringsTest, AssigningATemporaryMovesItsText) {
    StringDescriptor* v = new_string(0, false);
    StringDescriptor* joined = concat_strings(literal("AB"), literal("CD"));
    uint8_t* text = joined->data;
    uint32_t index = joined->list_index;
    assign_string(v, joined);
    EXPECT_EQ(v->data, text);
    EXPECT_EQ(v->list_index, index);
    EXPECT_EQ(string_storage.string_list[index], v);
    EXPECT_EQ(v->temporary, 0);
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
    EXPECT_EQ(string_text(v), "ABCD");
}

TEST_F(StringsTest, GrowingTheLastStringStaysInPlace) {
    StringDescriptor* v = variable("");
    std::string expected;
    uint8_t* start = nullptr;
    for (int i = 0; i < 300; ++i) {
        uint32_t base = current_temp_top();
        StringDescriptor* copy = new_string(0, false);
        assign_string(copy, v);
        char byte = static_cast<char>('A' + i % 26);
        assign_string(v, concat_strings(v, temp_literal(&byte, 1)));
        free_string(copy);
        release_temporaries(base, 0);
        expected += byte;
        ASSERT_EQ(string_text(v), expected);
        if (i == 1) start = v->data;
    }
    EXPECT_NE(start, nullptr);
}

TEST_F(StringsTest, AppendingOneByteGrowsInPlaceInTheHeadroom) {
    StringDescriptor* a = new_string(3, false);
    std::memcpy(a->data, "abc", 3);
    StringDescriptor* b = variable("zz");
    uint8_t* start = a->data;
    std::string expected = "abc";
    for (int i = 0; i < 29; ++i) {
        StringDescriptor* grown = new_string(static_cast<uint32_t>(a->length + 1), true);
        std::memcpy(grown->data, a->data, static_cast<size_t>(a->length));
        grown->data[a->length] = '+';
        StringDescriptor* plain = new_string(0, false);
        assign_string(plain, grown);  // moved: now an ordinary string after b
        assign_string(a, plain);      // a grows into its headroom: b is still beyond
        free_string(plain);
        release_temporaries(1, 0);
        expected += '+';
        ASSERT_EQ(a->data, start);
        ASSERT_EQ(string_text(a), expected);
        ASSERT_EQ(string_text(b), "zz");
    }
    // Beyond the headroom it moves to the end of the arena.
    assign_string(a, literal("0123456789012345678901234567890123456789"));
    EXPECT_NE(a->data, start);
    EXPECT_EQ(string_text(b), "zz");
    EXPECT_EQ(string_text(a), "0123456789012345678901234567890123456789");
}

TEST_F(StringsTest, ChrInAndOutOfRange) {
    StringDescriptor* zero = chr_string(0);
    ASSERT_EQ(zero->length, 1);
    EXPECT_EQ(zero->data[0], 0);
    EXPECT_EQ(chr_string(255)->data[0], 255);
    EXPECT_EQ(control.pending_error.load(), 0);
    EXPECT_EQ(chr_string(256)->length, 0);
    EXPECT_EQ(control.pending_error.load(), 5);
    control.pending_error = 0;
    EXPECT_EQ(chr_string(-1)->length, 0);
    EXPECT_EQ(control.pending_error.load(), 5);
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(StringsTest, RepeatedCharacters) {
    EXPECT_EQ(repeat_char_string(-3, 65)->length, 0);
    EXPECT_EQ(string_text(repeat_char_string(2, 321)), "AA");
    EXPECT_EQ(string_text(repeat_char_string(31, 223)), std::string(31, '\xDF'));
    EXPECT_EQ(control.pending_error.load(), 0);
    release_temporaries(1, 0);
}

TEST_F(StringsTest, Equality) {
    EXPECT_EQ(string_equal(literal(""), literal("")), -1);
    EXPECT_EQ(string_equal(literal("A"), literal("a")), 0);
    EXPECT_EQ(string_equal(literal("AB"), literal("AB")), -1);
    EXPECT_EQ(string_equal(literal("AB"), literal("ABC")), 0);
    EXPECT_EQ(string_equal(chr_string(0), temp_literal("\0", 1)), -1);
    release_temporaries(1, 0);
}

TEST_F(StringsTest, PendingErrorGivesNeutralResults) {
    StringDescriptor* v = variable("keep");
    raise_error(5);
    EXPECT_EQ(concat_strings(literal("A"), literal("B"))->length, 0);
    EXPECT_EQ(chr_string(65)->length, 0);
    EXPECT_EQ(repeat_char_string(3, 65)->length, 0);
    EXPECT_EQ(string_equal(literal("A"), literal("A")), 0);
    EXPECT_EQ(command_line()->length, 0);
    assign_string(v, literal("changed"));
    EXPECT_EQ(string_text(v), "keep");
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(StringsTest, CommandLineIsATemporaryCopy) {
    command_line_text = "one two";
    StringDescriptor* text = command_line();
    EXPECT_EQ(string_text(text), "one two");
    EXPECT_EQ(text->temporary, 1);
    command_line_text.clear();
    EXPECT_EQ(command_line()->length, 0);
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

TEST_F(StringsTest, VariablesAreBumpAllocated) {
    uint8_t* mark = variable_storage_mark();
    auto* a = static_cast<uint8_t*>(allocate_variable(4));
    auto* b = static_cast<uint8_t*>(allocate_variable(8));
    EXPECT_EQ(a, mark);
    EXPECT_GE(b, a + 4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
    variable_storage_restore(mark);
    EXPECT_EQ(allocate_variable(4), a);
}

TEST_F(StringsTest, VariableStorageGrowsWithANewBlock) {
    size_t first_size = string_storage.variable_block_size;
    auto* small = static_cast<uint8_t*>(allocate_variable(16));
    std::memset(small, 0x5A, 16);
    auto* big = static_cast<uint8_t*>(allocate_variable(first_size));
    std::memset(big, 1, first_size);
    EXPECT_EQ(string_storage.variable_block_size, first_size + 2 * first_size);
    EXPECT_EQ(small[15], 0x5A);  // the old block stays
    // A mark from the old block falls back to the new block's start.
    variable_storage_restore(small);
    EXPECT_EQ(allocate_variable(8), big);
}

TEST_F(StringsTest, SegmentStringsGrowInsideTheSegmentAndKeepTheirEntries) {
    StringDescriptor* nothing = nothing_string();
    StringDescriptor* space = space_string();
    // nothing's text lies below space's: it has to move up to grow.
    assign_string(nothing, literal("ABC"));
    EXPECT_EQ(string_text(nothing), "ABC");
    EXPECT_EQ(string_text(space), " ");
    EXPECT_GE(nothing->data, emulated_memory + 1280 + 256 + 1);
    EXPECT_LT(nothing->data, emulated_memory + 1280 + 0x10000);
    uint16_t entry[2];
    std::memcpy(entry, nothing->emulated_entry, sizeof entry);
    EXPECT_EQ(entry[0], 3);
    EXPECT_EQ(emulated_memory + 1280 + entry[1], nothing->data);
    // The last text of the segment grows where it is.
    uint8_t* before = nothing->data;
    assign_string(nothing, literal("ABCDEFGH"));
    EXPECT_EQ(nothing->data, before);
    EXPECT_EQ(string_text(nothing), "ABCDEFGH");
    assign_string(space, literal("xy"));
    EXPECT_EQ(string_text(space), "xy");
    EXPECT_EQ(string_text(nothing), "ABCDEFGH");
    std::memcpy(entry, space->emulated_entry, sizeof entry);
    EXPECT_EQ(entry[0], 2);
    EXPECT_EQ(emulated_memory + 1280 + entry[1], space->data);
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}
