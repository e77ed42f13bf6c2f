// The string storage against a plain model: long random sequences of the
// statements a program makes, checking after each one that every variable
// reads back its expected text and that the storage keeps its invariants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/number_text.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/strings.h"

namespace {

struct Variable {
    StringDescriptor* string;
    std::string expected;
};

// Live ordinary texts lie in the arena in list order without overlapping.
void check_storage(uint32_t live_expected) {
    const StringStorage& s = string_storage;
    ASSERT_LE(s.arena_used, s.arena_size);
    ASSERT_LE(s.string_count, s.list_capacity);
    const uint8_t* previous_end = s.arena;
    for (uint32_t i = 0; i < s.string_count; ++i) {
        const StringDescriptor* d = s.string_list[i];
        if (d == nullptr) continue;
        ASSERT_EQ(d->list_index, i);
        ASSERT_GE(d->data, previous_end) << "entry " << i;
        previous_end = d->data + d->length;
        ASSERT_LE(previous_end, s.arena + s.arena_used);
    }
    ASSERT_EQ(s.live_descriptors, live_expected);
}

struct Model {
    std::mt19937 random;
    std::vector<Variable> variables;
    std::vector<Variable> fixed;
    uint32_t base_descriptors;
    // Program bytes of the current statement's literals (never copied, so
    // they must not move while the statement runs).
    std::deque<std::string> literals;

    explicit Model(uint32_t seed) : random(seed), base_descriptors(string_storage.live_descriptors) {}

    uint32_t pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); }

    std::string random_text(uint32_t max_length) {
        std::string text(pick(max_length + 1), '\0');
        for (char& c : text) c = static_cast<char>(pick(256));
        return text;
    }

    // An expression: a temporary (or a variable itself) and its expected text.
    std::pair<StringDescriptor*, std::string> expression(int depth) {
        switch (pick(depth > 2 ? 6 : 8)) {
        case 0: {
            literals.push_back(random_text(20));
            const std::string& text = literals.back();
            return {temp_literal(text.data(), static_cast<int32_t>(text.size())), text};
        }
        case 1: {
            uint32_t code = pick(256);
            return {chr_string(static_cast<int32_t>(code)), std::string(1, static_cast<char>(code))};
        }
        case 2: {
            int32_t count = static_cast<int32_t>(pick(pick(10) == 0 ? 5000 : 70)) - 5;
            uint32_t code = pick(1000);
            return {repeat_char_string(count, static_cast<int32_t>(code)),
                    std::string(static_cast<size_t>(std::max(count, 0)), static_cast<char>(code & 0xFF))};
        }
        case 3: {
            float value = std::uniform_real_distribution<float>(-1e6f, 1e6f)(random);
            char text[48];
            int length = single_text(value, text);
            return {single_to_text(value), std::string(text, static_cast<size_t>(length))};
        }
        case 4:
        case 5:
            if (!variables.empty()) {
                const Variable& v = variables[pick(static_cast<uint32_t>(variables.size()))];
                return {v.string, v.expected};
            }
            return {temp_cstring(""), ""};
        default: {
            auto left = expression(depth + 1);
            auto right = expression(depth + 1);
            return {concat_strings(left.first, right.first), left.second + right.second};
        }
        }
    }

    void statement() {
        literals.clear();
        uint32_t base = current_temp_top();
        switch (pick(11)) {
        case 0:
            if (variables.size() < 400) variables.push_back({new_string(0, false), ""});
            break;
        case 1:
            if (!variables.empty()) {
                uint32_t at = pick(static_cast<uint32_t>(variables.size()));
                free_string(variables[at].string);
                variables.erase(variables.begin() + at);
            }
            break;
        case 2:
            if (fixed.size() < 20) {
                uint32_t length = pick(12);
                fixed.push_back({new_fixed_string(length), std::string(length, ' ')});
            } else {
                Variable& f = fixed[pick(static_cast<uint32_t>(fixed.size()))];
                auto value = expression(0);
                assign_string(f.string, value.first);
                std::string text = value.second.substr(0, f.expected.size());
                text.resize(f.expected.size(), ' ');
                f.expected = text;
            }
            break;
        case 3:
            if (!variables.empty()) {
                // A PRINT: a work string takes the expression and is freed.
                StringDescriptor* work = new_string(0, false);
                auto value = expression(0);
                assign_string(work, value.first);
                ASSERT_EQ(string_text(work), value.second);
                free_string(work);
            }
            break;
        case 10: {
            // A PRINT whose work string is made after its expression: the
            // work string's own list entry, the last one, becomes a hole.
            auto value = expression(0);
            StringDescriptor* work = new_string(0, false);
            assign_string(work, value.first);
            ASSERT_EQ(string_text(work), value.second);
            free_string(work);
            break;
        }
        case 4:
            if (!variables.empty()) {
                // variable = variable + something: growth of an existing string.
                Variable& v = variables[pick(static_cast<uint32_t>(variables.size()))];
                auto tail = expression(1);
                std::string text = v.expected + tail.second;
                assign_string(v.string, concat_strings(v.string, tail.first));
                v.expected = text;
            }
            break;
        default:
            if (!variables.empty()) {
                Variable& v = variables[pick(static_cast<uint32_t>(variables.size()))];
                auto value = expression(0);
                assign_string(v.string, value.first);
                v.expected = value.second;
            }
            break;
        }
        release_temporaries(base, 0);
        ASSERT_EQ(current_temp_top(), base);
    }

    void check() {
        for (const Variable& v : variables) ASSERT_EQ(string_text(v.string), v.expected);
        for (const Variable& v : fixed) ASSERT_EQ(string_text(v.string), v.expected);
        check_storage(base_descriptors + static_cast<uint32_t>(variables.size() + fixed.size()));
    }
};

struct StringsModelTest : ::testing::Test {
    void SetUp() override {
        reset_runtime_control();
        clear_emulated_memory();
        strings_start();
    }
    void TearDown() override { reset_runtime_control(); }
};

}  // namespace

TEST_F(StringsModelTest, RandomStatementsKeepEveryTextAndInvariant) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        strings_start();
        Model model(seed);
        for (int step = 0; step < 20000; ++step) {
            model.statement();
            if (HasFatalFailure()) return;
            model.check();
            if (HasFatalFailure()) FAIL() << "seed " << seed << " step " << step;
        }
        EXPECT_EQ(string_text(nothing_string()), "");
        EXPECT_EQ(string_text(space_string()), " ");
    }
}

// Assigning CHR$ moves the temporary into the variable, which leaves a hole
// below it every time; compaction of the arena and of the list takes those
// back, so the storage never grows.
TEST_F(StringsModelTest, APrintLoopRunsInConstantMemory) {
    StringDescriptor* key = new_string(0, false);
    const StringStorage& s = string_storage;
    size_t arena_size = s.arena_size;
    uint32_t list_capacity = s.list_capacity;
    uint32_t temp_capacity = s.temp_capacity;
    uint32_t blocks = s.descriptor_block_count;
    uint32_t live = s.live_descriptors;
    uint8_t* lowest = s.arena + s.arena_size;
    for (int i = 0; i < 300000; ++i) {
        uint32_t base = current_temp_top();
        StringDescriptor* work = new_string(0, false);
        assign_string(work, concat_strings(single_to_text(static_cast<float>(i)), temp_cstring(" ")));
        ASSERT_EQ(string_text(work), " " + std::to_string(i) + " ");
        free_string(work);
        assign_string(key, chr_string(i % 256));
        release_temporaries(base, 0);
        if (i >= 100000) lowest = std::min(lowest, key->data);
        ASSERT_EQ(s.live_descriptors, live);
        ASSERT_EQ(string_text(key), std::string(1, static_cast<char>(i % 256)));
    }
    EXPECT_EQ(s.arena_size, arena_size);
    EXPECT_EQ(s.list_capacity, list_capacity);
    EXPECT_EQ(s.temp_capacity, temp_capacity);
    EXPECT_EQ(s.descriptor_block_count, blocks);
    EXPECT_EQ(current_temp_top(), 1u);
    EXPECT_LT(lowest, s.arena + 4096);  // compaction brought the variable back down
}

TEST_F(StringsModelTest, CompactionClosesGapsWiderThanTheHeadroom) {
    StringDescriptor* a = new_string(100, false);
    StringDescriptor* gap = new_string(1000, false);
    StringDescriptor* b = new_string(10, false);
    std::memset(a->data, 'a', 100);
    std::memset(b->data, 'b', 10);
    free_string(gap);
    uint8_t* b_before = b->data;
    // A string bigger than the room left forces a compaction: b moves down
    // to the end of a's text, and a stays.
    size_t room = string_storage.arena_size - string_storage.arena_used;
    uint8_t* a_before = a->data;
    StringDescriptor* big = new_string(static_cast<uint32_t>(room - 32 + 1), false);
    EXPECT_EQ(a->data, a_before);
    EXPECT_EQ(b->data, a->data + 100);
    EXPECT_NE(b->data, b_before);
    EXPECT_EQ(string_text(b), std::string(10, 'b'));
    EXPECT_EQ(string_text(a), std::string(100, 'a'));
    EXPECT_EQ(big->data, b->data + 10);
    check_storage(string_storage.live_descriptors);
}

TEST_F(StringsModelTest, ArenaGrowsWhenLiveTextsFillHalfOfIt) {
    size_t size = string_storage.arena_size;
    std::vector<StringDescriptor*> strings;
    for (int i = 0; i < 30; ++i) {
        StringDescriptor* d = new_string(40000, false);
        std::memset(d->data, 'A' + i, 40000);
        strings.push_back(d);
    }
    EXPECT_GT(string_storage.arena_size, size);
    EXPECT_GE(string_storage.arena_size, 2 * size);
    for (int i = 0; i < 30; ++i) ASSERT_EQ(string_text(strings[i]), std::string(40000, static_cast<char>('A' + i)));
    check_storage(string_storage.live_descriptors);
}

TEST_F(StringsModelTest, ListsAndPoolGrowPastTheirFirstCapacity) {
    uint32_t live = string_storage.live_descriptors;
    std::vector<StringDescriptor*> strings;
    for (uint32_t i = 0; i < 70000; ++i) {
        StringDescriptor* d = new_string(1, false);
        d->data[0] = static_cast<uint8_t>(i);
        strings.push_back(d);
    }
    EXPECT_GE(string_storage.list_capacity, 70000u);
    EXPECT_GE(string_storage.descriptor_block_count, 2u);
    // Half of them freed: the list drops its holes before it doubles again.
    for (uint32_t i = 0; i < 70000; i += 2) free_string(strings[i]);
    uint32_t capacity = string_storage.list_capacity;
    for (uint32_t i = 0; i < 70000; i += 2) strings[i] = new_string(1, false), strings[i]->data[0] = static_cast<uint8_t>(i);
    EXPECT_EQ(string_storage.list_capacity, capacity);
    for (uint32_t i = 0; i < 70000; ++i) ASSERT_EQ(strings[i]->data[0], static_cast<uint8_t>(i)) << i;
    check_storage(live + 70000);
    // Many temporaries in one statement.
    uint32_t base = current_temp_top();
    for (uint32_t i = 0; i < 70000; ++i) chr_string(65);
    EXPECT_GE(string_storage.temp_capacity, 70001u);
    release_temporaries(base, 0);
    EXPECT_EQ(current_temp_top(), base);
    for (StringDescriptor* d : strings) free_string(d);
    EXPECT_GE(string_storage.free_capacity, 70000u);
    check_storage(live);
    EXPECT_EQ(string_storage.string_count, 0u);
    EXPECT_EQ(string_storage.arena_used, 0u);
}

TEST_F(StringsModelTest, FreedDescriptorsAreReusedMostRecentFirst) {
    StringDescriptor* a = new_string(3, false);
    StringDescriptor* b = new_string(3, false);
    free_string(a);
    free_string(b);
    EXPECT_EQ(new_string(0, false), b);
    EXPECT_EQ(new_string(0, false), a);
    EXPECT_EQ(a->length, 0);
}

TEST_F(StringsModelTest, ASecondFreeOfTheSameStringIsHarmless) {
    uint32_t live = string_storage.live_descriptors;
    StringDescriptor* a = new_string(3, false);
    free_string(a);
    free_string(a);
    EXPECT_EQ(string_storage.live_descriptors, live);
    StringDescriptor* b = new_string(1, false);
    StringDescriptor* c = new_string(1, false);
    EXPECT_NE(b, c);
}

TEST_F(StringsModelTest, TemporaryMovedIntoAVariableIsNotReleased) {
    StringDescriptor* v = new_string(0, false);
    uint32_t base = current_temp_top();
    StringDescriptor* t = repeat_char_string(5, 'x');
    chr_string(66);
    assign_string(v, t);
    release_temporaries(base, 0);
    EXPECT_EQ(current_temp_top(), base);
    EXPECT_EQ(string_text(v), "xxxxx");
    EXPECT_EQ(v->temporary, 0);
}

TEST_F(StringsModelTest, ReleaseReturnsItsValue) {
    EXPECT_EQ(release_temporaries(current_temp_top(), -1), -1);
    uint32_t base = current_temp_top();
    EXPECT_EQ(release_temporaries(base, string_equal(chr_string(1), chr_string(1))), -1);
    EXPECT_EQ(current_temp_top(), base);
}
