// Byte-driven sequences of string statements against a plain model: any
// text that reads back wrong, any temporary left after a statement, any
// descriptor lost, aborts.
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
        switch (depth > 3 ? op % 5 : op % 7) {
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
        default: {
            auto left = expression(depth + 1);
            auto right = expression(depth + 1);
            return {concat_strings(left.first, right.first), left.second + right.second};
        }
        }
    }

    void statement() {
        uint32_t base = current_temp_top();
        uint8_t op = in.next();
        int v = in.next() % variable_count;
        switch (op % 5) {
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
