// Byte-driven sequences of string statements against a plain model: any
// text that reads back wrong, any temporary left after a statement, any
// descriptor lost, aborts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/number_text.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/strings.h"

namespace {

struct Input {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    uint8_t next() { return at < size ? data[at++] : 0; }
    bool done() const { return at >= size; }
};

constexpr int variable_count = 8;

struct Fuzz {
    Input in;
    StringDescriptor* variables[variable_count];
    std::string expected[variable_count];
    StringDescriptor* fixed;
    std::string fixed_expected;

    void check(bool ok) {
        if (!ok) std::abort();
    }

    std::pair<StringDescriptor*, std::string> expression(int depth) {
        uint8_t op = in.next();
        switch (depth > 3 ? op % 5 : op % 9) {
        case 0: {
            // Literal bytes straight from the input (program bytes: not copied).
            uint8_t length = in.next() % 16;
            if (in.at + length > in.size) length = static_cast<uint8_t>(in.size - in.at);
            const char* text = reinterpret_cast<const char*>(in.data + in.at);
            in.at += length;
            return {temp_literal(text, length), std::string(text, length)};
        }
        case 1: {
            uint8_t code = in.next();
            return {chr_string(code), std::string(1, static_cast<char>(code))};
        }
        case 2: {
            int32_t count = static_cast<int32_t>(in.next()) * (in.next() % 8 + 1) - 40;
            uint8_t code = in.next();
            return {repeat_char_string(count, code + 256), std::string(count > 0 ? count : 0, static_cast<char>(code))};
        }
        case 3: {
            float value;
            uint8_t bytes[4] = {in.next(), in.next(), in.next(), in.next()};
            std::memcpy(&value, bytes, 4);
            char text[48];
            int length = single_text(value, text);
            return {single_to_text(value), std::string(text, static_cast<size_t>(length))};
        }
        case 4: {
            int v = in.next() % variable_count;
            return {variables[v], expected[v]};
        }
        case 5:
        case 6: return cut(expression(depth + 1));
        default: {
            auto left = expression(depth + 1);
            auto right = expression(depth + 1);
            return {concat_strings(left.first, right.first), left.second + right.second};
        }
        }
    }

    // LEFT$, RIGHT$, MID$, the trims and the case changes of a value.
    std::pair<StringDescriptor*, std::string> cut(std::pair<StringDescriptor*, std::string> value) {
        auto [s, text] = std::move(value);
        int32_t length = static_cast<int32_t>(text.size());
        int32_t n = static_cast<int32_t>(in.next()) - 8;
        int32_t kept = std::clamp(n, 0, length);
        switch (in.next() % 7) {
        case 0: return {left_string(s, n), text.substr(0, kept)};
        case 1: return {right_string(s, n), text.substr(text.size() - kept)};
        case 2: {
            int32_t start = static_cast<int32_t>(in.next()) - 8;
            bool counted = n % 2 != 0;
            size_t from = static_cast<size_t>(std::clamp(start, 1, length + 1) - 1);
            std::string rest = text.substr(from);
            std::string expected = counted ? rest.substr(0, static_cast<size_t>(std::max(n, 0))) : rest;
            return {mid_string(s, start, n, counted ? 1 : 0), expected};
        }
        case 3: {
            size_t first = text.find_first_not_of(' ');
            return {ltrim_string(s), first == std::string::npos ? "" : text.substr(first)};
        }
        case 4: {
            size_t last = text.find_last_not_of(' ');
            return {rtrim_string(s), last == std::string::npos ? "" : text.substr(0, last + 1)};
        }
        default: {
            bool upper = in.next() % 2;
            std::string changed = text;
            for (char& c : changed) {
                if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
                if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            }
            StringDescriptor* result = upper ? ucase_string(s) : lcase_string(s);
            check(changed != text || result == s);  // nothing changed: the argument itself
            return {result, changed};
        }
        }
    }

    // INSTR, ASC, LEN and the comparisons of two values, against the model.
    void numbers() {
        auto left = expression(1);
        auto right = expression(1);
        const std::string& a = left.second;
        const std::string& b = right.second;
        int32_t start = static_cast<int32_t>(in.next()) - 8;
        size_t from = static_cast<size_t>(std::max(start, 1) - 1);
        size_t found = from >= a.size() ? std::string::npos : a.find(b, from);
        check(instr_position(start, left.first, right.first, 1) == (found == std::string::npos ? 0 : int32_t(found) + 1));
        check(string_length(left.first) == static_cast<int32_t>(a.size()));
        int order = a < b ? -1 : a > b ? 1 : 0;  // std::string orders chars as unsigned, then by length
        check(string_less(left.first, right.first) == (order < 0 ? -1 : 0));
        check(string_greater_equal(left.first, right.first) == (order >= 0 ? -1 : 0));
        check(string_not_equal(left.first, right.first) == (order != 0 ? -1 : 0));
        int32_t code = asc_code(left.first, start, 1);
        bool inside = start >= 1 && start <= static_cast<int32_t>(a.size());
        check(code == (inside ? static_cast<uint8_t>(a[static_cast<size_t>(start - 1)]) : 0));
        check((control.pending_error.load() == 5) == !inside);
        control.pending_error = 0;
        control.attention_flag = 0;
    }

    void statement() {
        uint32_t base = current_temp_top();
        uint8_t op = in.next();
        int v = in.next() % variable_count;
        switch (op % 6) {
        case 0:
            free_string(variables[v]);
            variables[v] = new_string(0, false);
            expected[v].clear();
            break;
        case 1: {
            StringDescriptor* work = new_string(0, false);
            auto value = expression(0);
            assign_string(work, value.first);
            check(string_text(work) == value.second);
            free_string(work);
            break;
        }
        case 2: {
            auto value = expression(0);
            assign_string(fixed, value.first);
            std::string text = value.second.substr(0, fixed_expected.size());
            text.resize(fixed_expected.size(), ' ');
            fixed_expected = text;
            break;
        }
        case 3: {
            auto tail = expression(1);
            std::string text = expected[v] + tail.second;
            assign_string(variables[v], concat_strings(variables[v], tail.first));
            expected[v] = text;
            break;
        }
        case 4: numbers(); break;
        default: {
            auto value = expression(0);
            assign_string(variables[v], value.first);
            expected[v] = value.second;
            break;
        }
        }
        release_temporaries(base, 0);
        check(current_temp_top() == base);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reset_runtime_control();
    clear_emulated_memory();
    strings_start();
    Fuzz fuzz{Input{data, size}, {}, {}, new_fixed_string(6), std::string(6, ' ')};
    for (StringDescriptor*& v : fuzz.variables) v = new_string(0, false);
    uint32_t live = string_storage.live_descriptors;
    while (!fuzz.in.done()) {
        fuzz.statement();
        for (int v = 0; v < variable_count; ++v) fuzz.check(string_text(fuzz.variables[v]) == fuzz.expected[v]);
        fuzz.check(string_text(fuzz.fixed) == fuzz.fixed_expected);
        fuzz.check(string_storage.live_descriptors == live);
        fuzz.check(string_storage.arena_used <= string_storage.arena_size);
    }
    return 0;
}
