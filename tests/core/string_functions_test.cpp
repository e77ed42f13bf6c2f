#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"

namespace {

using StringFunction = std::function<StringDescriptor*(StringDescriptor*)>;
StringFunction left(int32_t n) { return [n](StringDescriptor* s) { return left_string(s, n); }; }
StringFunction right(int32_t n) { return [n](StringDescriptor* s) { return right_string(s, n); }; }
StringFunction mid(int32_t p, int32_t n, uint32_t passed = 1) { return [=](auto* s) { return mid_string(s, p, n, passed); }; }
enum class Kind { literal, variable, arena_temporary };  // the three kinds of argument a function meets

struct StringFunctions : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        clear_emulated_memory();
        strings_start();
    }
    void TearDown() override { reset_runtime_control(); }
    static StringDescriptor* text(const std::string& s, Kind kind = Kind::literal) {
        if (kind == Kind::literal) return temp_literal(s.data(), int32_t(s.size()));
        StringDescriptor* made = new_string(uint32_t(s.size()), kind == Kind::arena_temporary);
        if (!s.empty()) std::memcpy(made->data, s.data(), s.size());
        return made;
    }
};

TEST_F(StringFunctions, CuttingAndCaseFunctionsOnEveryKindOfArgument) {
    const struct { StringFunction function; std::string input, expected; } cases[] = {
        {left(2), "HELLO", "HE"}, {left(-1), "HELLO", ""}, {left(9), "HELLO", "HELLO"}, {right(3), "HELLO", "LLO"},
        {right(0), "HELLO", ""}, {right(99), "HELLO", "HELLO"}, {mid(2, 3), "HELLO", "ELL"}, {mid(4, 0, 0), "HELLO", "LO"},
        {mid(0, 2), "HELLO", "HE"}, {mid(6, 0, 0), "HELLO", ""}, {mid(3, -2), "HELLO", ""}, {mid(2, 99), "HELLO", "ELLO"},
        {ltrim_string, "  a b  ", "a b  "}, {ltrim_string, "\t x", "\t x"}, {ltrim_string, "   ", ""},
        {rtrim_string, "  a b  ", "  a b"}, {rtrim_string, std::string("x \0", 3), std::string("x \0", 3)},
        {ucase_string, "Hello, w\x94rld{}", "HELLO, W\x94RLD{}"}, {lcase_string, "ABC@[Z\x8e", "abc@[z\x8e"},
    };
    for (const auto& c : cases)
        for (Kind kind : {Kind::literal, Kind::variable, Kind::arena_temporary}) {
            SCOPED_TRACE(testing::Message() << "row " << &c - cases << " kind " << int(kind));
            StringDescriptor* arg = text(c.input, kind);
            size_t used = string_storage.arena_used;
            StringDescriptor* result = c.function(arg);
            EXPECT_EQ(string_text(result), c.expected);
            EXPECT_EQ(result == arg, kind == Kind::arena_temporary) << "only an arena temporary is cut where it lies";
            if (kind == Kind::arena_temporary) EXPECT_EQ(string_storage.arena_used, used) << "nothing allocated";
            else if (kind == Kind::variable) EXPECT_EQ(string_text(arg), c.input) << "a variable is never cut";
            else EXPECT_EQ(arg->data, nullptr) << "the temporary literal was freed";
            strings_start();
        }
}

TEST_F(StringFunctions, InstrAscAndLenGiveNumbers) {
    const struct { char function; std::string s, needle; int32_t at, passed, expected, error; } cases[] = {
        {'I', "ABCABC", "BC", 0, 0, 2, 0}, {'I', "ABCABC", "BC", 3, 1, 5, 0}, {'I', "ABC", "A", -5, 1, 1, 0},
        {'I', "ABC", "", 3, 1, 3, 0}, {'I', "ABC", "", 4, 1, 0, 0}, {'I', "", "", 0, 0, 0, 0},
        {'I', std::string("a\0\xff" "b", 4), "\xff" "b", 0, 0, 3, 0}, {'L', std::string("ab\0", 3), "", 0, 0, 3, 0},
        {'A', "\xe9", "", 0, 0, 233, 0}, {'A', "abc", "", 3, 1, 99, 0}, {'A', "", "", 0, 0, 0, 5},
        {'A', "abc", "", 4, 1, 0, 5}, {'A', "abc", "", 0, 1, 0, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.function << " row " << &c - cases);
        StringDescriptor* s = text(c.s);
        EXPECT_EQ(c.function == 'I' ? instr_position(c.at, s, text(c.needle), uint32_t(c.passed))
                  : c.function == 'A' ? asc_code(s, c.at, uint32_t(c.passed)) : string_length(s), c.expected);
        EXPECT_EQ(control.pending_error.load(), c.error);
        SetUp();
    }
}

TEST_F(StringFunctions, ComparisonsOrderUnsignedBytesThenLength) {
    const struct { std::string left, right; int order; } cases[] = {  // -1 left first, 0 equal, 1 right first
        {"", "", 0}, {"", "A", -1}, {"a", "B", 1}, {"AB", "A", 1}, {"\x80", "\x7f", 1},
        {std::string("A\0", 2), "A", 1}, {"ABC", "ABC", 0}, {"Z", "AAAAAAAA", 1},
    };
    for (const auto& c : cases) {
        const bool truths[] = {c.order == 0, c.order != 0, c.order < 0, c.order <= 0, c.order > 0, c.order >= 0};
        int i = 0;
        for (auto* compare : {string_equal, string_not_equal, string_less, string_less_equal, string_greater,
                              string_greater_equal})
            EXPECT_EQ(compare(text(c.left), text(c.right)), truths[i++] ? -1 : 0) << c.left << " vs " << c.right << i;
        SetUp();
    }
}

TEST_F(StringFunctions, PendingErrorGivesNeutralResultsAndLeavesTheArgument) {
    StringDescriptor* arg = text(" Ab ", Kind::arena_temporary);
    raise_error(5);
    for (const auto& f : {left(1), right(1), mid(2, 1), StringFunction(ltrim_string), StringFunction(rtrim_string),
                          StringFunction(ucase_string), StringFunction(lcase_string)})
        EXPECT_EQ(f(arg)->length, 0);
    EXPECT_EQ(string_text(arg), " Ab ");
    for (int32_t number : {asc_code(text("A"), 0, 0), instr_position(0, arg, text("A"), 0), string_length(arg),
                           string_not_equal(arg, text("")), string_less(text(""), arg), string_less_equal(arg, arg),
                           string_greater(arg, text("")), string_greater_equal(arg, arg)})
        EXPECT_EQ(number, 0);
}

}  // namespace
