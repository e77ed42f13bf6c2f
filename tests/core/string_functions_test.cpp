#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"

namespace {

struct StringFunctions : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        clear_emulated_memory();
        strings_start();
    }
    void TearDown() override { reset_runtime_control(); }

    static StringDescriptor* text(const std::string& s) { return temp_literal(s.data(), static_cast<int32_t>(s.size())); }

    // The three kinds of argument a function meets.
    enum class Kind { literal, variable, arena_temporary };
    static StringDescriptor* argument(Kind kind, const std::string& s) {
        if (kind == Kind::literal) return text(s);
        StringDescriptor* made = new_string(static_cast<uint32_t>(s.size()), kind == Kind::arena_temporary);
        if (!s.empty()) std::memcpy(made->data, s.data(), s.size());
        return made;
    }
};

using StringFunction = std::function<StringDescriptor*(StringDescriptor*)>;

struct CutCase {
    const char* label;
    StringFunction function;
    std::string input, expected;
    bool case_change = false;  // UCASE$/LCASE$: the argument itself when nothing changes
};

TEST_F(StringFunctions, CuttingAndCaseFunctionsOnEveryKindOfArgument) {
    const CutCase cases[] = {
        {"LEFT$ 2", [](auto* s) { return left_string(s, 2); }, "HELLO", "HE"},
        {"LEFT$ -1", [](auto* s) { return left_string(s, -1); }, "HELLO", ""},
        {"LEFT$ 9", [](auto* s) { return left_string(s, 9); }, "HELLO", "HELLO"},
        {"RIGHT$ 3", [](auto* s) { return right_string(s, 3); }, "HELLO", "LLO"},
        {"RIGHT$ 0", [](auto* s) { return right_string(s, 0); }, "HELLO", ""},
        {"RIGHT$ 99", [](auto* s) { return right_string(s, 99); }, "HELLO", "HELLO"},
        {"MID$ 2,3", [](auto* s) { return mid_string(s, 2, 3, 1); }, "HELLO", "ELL"},
        {"MID$ 4", [](auto* s) { return mid_string(s, 4, 0, 0); }, "HELLO", "LO"},
        {"MID$ 0,2", [](auto* s) { return mid_string(s, 0, 2, 1); }, "HELLO", "HE"},
        {"MID$ 6", [](auto* s) { return mid_string(s, 6, 0, 0); }, "HELLO", ""},
        {"MID$ 3,-2", [](auto* s) { return mid_string(s, 3, -2, 1); }, "HELLO", ""},
        {"MID$ 2,99", [](auto* s) { return mid_string(s, 2, 99, 1); }, "HELLO", "ELLO"},
        {"MID$ of empty", [](auto* s) { return mid_string(s, 1, 1, 1); }, "", ""},
        {"LTRIM$", ltrim_string, "  a b  ", "a b  "},
        {"LTRIM$ spaces only", ltrim_string, "\t x", "\t x"},
        {"LTRIM$ all spaces", ltrim_string, "   ", ""},
        {"RTRIM$", rtrim_string, "  a b  ", "  a b"},
        {"RTRIM$ spaces only", rtrim_string, std::string("x \0", 3), std::string("x \0", 3)},
        {"UCASE$", ucase_string, "Hello, w\x94rld{}", "HELLO, W\x94RLD{}", true},
        {"LCASE$", lcase_string, "ABC@[Z\x8e", "abc@[z\x8e", true},
        {"UCASE$ unchanged", ucase_string, "123 ABC\xe9", "123 ABC\xe9", true},
        {"LCASE$ unchanged", lcase_string, "", "", true},
    };
    for (const CutCase& c : cases) {
        for (Kind kind : {Kind::literal, Kind::variable, Kind::arena_temporary}) {
            SCOPED_TRACE(std::string(c.label) + " on kind " + std::to_string(int(kind)));
            strings_start();
            uint32_t base = current_temp_top();
            uint32_t live_before = string_storage.live_descriptors;
            StringDescriptor* arg = argument(kind, c.input);
            size_t used = string_storage.arena_used;
            uint8_t* start = arg->data;
            StringDescriptor* result = c.function(arg);
            ASSERT_EQ(string_text(result), c.expected);
            EXPECT_EQ(error_pending(), false);
            bool unchanged = c.case_change && c.input == c.expected;
            if (kind == Kind::arena_temporary || unchanged) {
                EXPECT_EQ(result, arg) << "cut or changed where it lies";
                EXPECT_EQ(string_storage.arena_used, used) << "nothing allocated";
                if (kind == Kind::arena_temporary) {
                    EXPECT_GE(result->data, start);
                    EXPECT_LE(result->data + result->length, start + c.input.size());
                }
            } else {
                EXPECT_NE(result, arg);
                EXPECT_EQ(result->temporary, 1);
                EXPECT_EQ(result->read_only, 0);
                if (kind == Kind::variable) EXPECT_EQ(string_text(arg), c.input) << "a variable is never cut";
                else EXPECT_EQ(arg->data, nullptr) << "the temporary literal was freed";
            }
            // Stored into a variable, the result reads right after a compaction.
            StringDescriptor* stored = new_string(0, false);
            assign_string(stored, result);
            new_string(static_cast<uint32_t>(string_storage.arena_size), true);
            EXPECT_EQ(string_text(stored), c.expected);
            free_string(stored);
            if (kind == Kind::variable) free_string(arg);
            release_temporaries(base, 0);
            EXPECT_EQ(current_temp_top(), base);
            EXPECT_EQ(string_storage.live_descriptors, live_before);
        }
    }
}

struct NumberCase {
    const char* label;
    std::function<int32_t()> function;
    int32_t expected;
    int32_t error = 0;
};

TEST_F(StringFunctions, InstrAscAndLenGiveNumbers) {
    const NumberCase cases[] = {
        {"INSTR", [] { return instr_position(0, text("ABCABC"), text("BC"), 0); }, 2},
        {"INSTR from 3", [] { return instr_position(3, text("ABCABC"), text("BC"), 1); }, 5},
        {"INSTR from 6", [] { return instr_position(6, text("ABCABC"), text("BC"), 1); }, 0},
        {"INSTR from 0", [] { return instr_position(0, text("ABC"), text("C"), 1); }, 3},
        {"INSTR from -5", [] { return instr_position(-5, text("ABC"), text("A"), 1); }, 1},
        {"INSTR empty needle", [] { return instr_position(0, text("ABC"), text(""), 0); }, 1},
        {"INSTR empty needle from 3", [] { return instr_position(3, text("ABC"), text(""), 1); }, 3},
        {"INSTR empty needle past end", [] { return instr_position(4, text("ABC"), text(""), 1); }, 0},
        {"INSTR both empty", [] { return instr_position(0, text(""), text(""), 0); }, 0},
        {"INSTR longer needle", [] { return instr_position(0, text("AB"), text("ABC"), 0); }, 0},
        {"INSTR bytes", [] { return instr_position(0, text(std::string("a\0\xff" "b", 4)), text("\xff" "b"), 0); }, 3},
        {"INSTR case matters", [] { return instr_position(0, text("abc"), text("B"), 0); }, 0},
        {"ASC", [] { return asc_code(text("A"), 0, 0); }, 65},
        {"ASC high byte", [] { return asc_code(text("\xe9"), 0, 0); }, 233},
        {"ASC at 3", [] { return asc_code(text("abc"), 3, 1); }, 99},
        {"ASC empty", [] { return asc_code(text(""), 0, 0); }, 0, 5},
        {"ASC beyond the end", [] { return asc_code(text("abc"), 4, 1); }, 0, 5},
        {"ASC at 0", [] { return asc_code(text("abc"), 0, 1); }, 0, 5},
        {"LEN empty", [] { return string_length(text("")); }, 0},
        {"LEN", [] { return string_length(text(std::string("ab\0", 3))); }, 3},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.function(), c.expected);
        EXPECT_EQ(control.pending_error.load(), c.error);
        reset_runtime_control();
        release_temporaries(1, 0);
    }
}

TEST_F(StringFunctions, ComparisonsOrderUnsignedBytesThenLength) {
    struct Order {
        std::string left, right;
        int order;  // -1 left first, 0 equal, 1 right first
    };
    const Order cases[] = {
        {"", "", 0},       {"", "A", -1},          {"A", "B", -1},     {"a", "B", 1},
        {"AB", "A", 1},    {"\x80", "\x7f", 1},    {"ABC", "ABD", -1}, {std::string("A\0", 2), "A", 1},
        {"ABC", "ABC", 0}, {"Z", "AAAAAAAA", 1},
    };
    for (const Order& c : cases) {
        SCOPED_TRACE(c.left + " vs " + c.right);
        auto both = [&](auto compare) { return compare(text(c.left), text(c.right)); };
        EXPECT_EQ(both(string_equal), c.order == 0 ? -1 : 0);
        EXPECT_EQ(both(string_not_equal), c.order != 0 ? -1 : 0);
        EXPECT_EQ(both(string_less), c.order < 0 ? -1 : 0);
        EXPECT_EQ(both(string_less_equal), c.order <= 0 ? -1 : 0);
        EXPECT_EQ(both(string_greater), c.order > 0 ? -1 : 0);
        EXPECT_EQ(both(string_greater_equal), c.order >= 0 ? -1 : 0);
        release_temporaries(1, 0);
    }
}

TEST_F(StringFunctions, PendingErrorGivesNeutralResultsAndLeavesTheArgument) {
    StringDescriptor* arg = argument(Kind::arena_temporary, " Ab ");
    raise_error(5);
    const StringFunction functions[] = {
        [](auto* s) { return left_string(s, 1); }, [](auto* s) { return right_string(s, 1); },
        [](auto* s) { return mid_string(s, 2, 1, 1); }, ltrim_string, rtrim_string, ucase_string, lcase_string,
    };
    for (const StringFunction& f : functions) {
        StringDescriptor* result = f(arg);
        EXPECT_NE(result, arg);
        EXPECT_EQ(result->length, 0);
        EXPECT_EQ(string_text(arg), " Ab ");
    }
    EXPECT_EQ(instr_position(0, arg, text("A"), 0), 0);
    EXPECT_EQ(asc_code(text(""), 0, 0), 0);
    EXPECT_EQ(control.pending_error.load(), 5) << "the first error stays";
    EXPECT_EQ(string_length(arg), 0);
    EXPECT_EQ(string_not_equal(arg, text("")), 0);
    EXPECT_EQ(string_less(text(""), arg), 0);
    EXPECT_EQ(string_greater_equal(arg, arg), 0);
    release_temporaries(1, 0);
    EXPECT_EQ(current_temp_top(), 1u);
}

}  // namespace
