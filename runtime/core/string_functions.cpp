// The string functions the program uses: concatenation, comparison, CHR$,
// STRING$ and COMMAND$. Temporary arguments are consumed where the result is
// a new string; otherwise they wait for the statement's clean-up.
#include <cstring>

#include "runtime/core/command_line.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"

namespace {

// The neutral result of a string function while an error is pending, and the
// result of CHR$ out of range: an empty temporary that uses no arena bytes.
StringDescriptor* empty_temporary() { return temp_literal(nullptr, 0); }

}  // namespace

StringDescriptor* concat_strings(StringDescriptor* left, StringDescriptor* right) {
    if (error_pending()) return empty_temporary();
    if (right->length == 0) return left;
    if (left->length == 0) return right;
    uint32_t left_length = static_cast<uint32_t>(left->length);
    uint32_t right_length = static_cast<uint32_t>(right->length);
    // new_string may compact the arena, which moves texts: read data after it.
    StringDescriptor* joined = new_string(left_length + right_length, true);
    std::memcpy(joined->data, left->data, left_length);
    std::memcpy(joined->data + left_length, right->data, right_length);
    if (left->temporary) free_string(left);
    if (right->temporary && right != left) free_string(right);
    return joined;
}

int32_t string_equal(StringDescriptor* left, StringDescriptor* right) {
    if (error_pending()) return 0;
    if (left->length != right->length) return 0;
    return std::memcmp(left->data, right->data, static_cast<size_t>(left->length)) == 0 ? -1 : 0;
}

StringDescriptor* chr_string(int32_t code) {
    if (error_pending()) return empty_temporary();
    if (code < 0 || code > 255) {
        raise_error(5);
        return empty_temporary();
    }
    StringDescriptor* result = new_string(1, true);
    result->data[0] = static_cast<uint8_t>(code);
    return result;
}

StringDescriptor* repeat_char_string(int32_t count, int32_t code) {
    if (error_pending()) return empty_temporary();
    if (count < 0) count = 0;
    StringDescriptor* result = new_string(static_cast<uint32_t>(count), true);
    std::memset(result->data, static_cast<uint8_t>(code & 0xFF), static_cast<size_t>(count));
    return result;
}

StringDescriptor* command_line() {
    if (error_pending()) return empty_temporary();
    StringDescriptor* result = new_string(static_cast<uint32_t>(command_line_text.size()), true);
    std::memcpy(result->data, command_line_text.data(), command_line_text.size());
    return result;
}
