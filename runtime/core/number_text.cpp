#include "runtime/core/number_text.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/core/statement.h"

namespace {

// Room each type's longest text needs; a result string is made this long and
// then cut to its text, the rest staying as growth room.
constexpr uint32_t single_room = 16;
constexpr uint32_t double_room = 32;

// The layout of a normalised E text ("% .6E" with a three-digit exponent):
// sign, first digit, ".", the other digits, "E", exponent sign, three digits.
struct ExponentLayout {
    int digits;          // significant digits shown
    int exponent_at;     // position of the exponent letter
    int fixed_limit;     // largest exponent still written in fixed form
    int small_limit;     // smallest exponent - count still written in fixed form
    char letter;
};

constexpr ExponentLayout single_layout{7, 9, 6, -8, 'E'};
constexpr ExponentLayout double_layout{16, 18, 15, -17, 'D'};

// Formats value with "% .<digits-1>E" and widens a two-digit exponent to
// three digits, so that the exponent always starts at the same position.
void format_exponent(double value, int digits, char* out) {
    int length = std::snprintf(out, 40, "% .*E", digits - 1, value);
    int expected = digits + 7;  // sign, digit, ".", digits - 1, "E", sign, three digits
    if (length == expected - 1) {
        std::memmove(out + expected - 2, out + expected - 3, 3);
        out[expected - 3] = '0';
    }
}

int number_text(double value, const ExponentLayout& layout, char* out) {
    char text[48];
    format_exponent(value, layout.digits, text);
    if (!std::isfinite(value)) {
        // Infinities and NaN have no digits to count: their E text stands.
        int length = static_cast<int>(std::strlen(text));
        std::memcpy(out, text, static_cast<size_t>(length));
        return length;
    }
    if (layout.letter == 'D' && text[layout.exponent_at - 1] == '9') {
        // A sixteenth digit 9 is representation noise (a run of nines): keep
        // fifteen digits and a zero.
        format_exponent(value, layout.digits - 1, text);
        std::memmove(text + layout.exponent_at, text + layout.exponent_at - 1, 5);
        text[layout.exponent_at - 1] = '0';
    }
    int count = layout.digits;
    for (int at = layout.exponent_at - 1; at >= 1; --at) {
        if (at == 2) continue;
        if (text[at] != '0') break;
        --count;
    }
    if (count == 0) {
        std::memcpy(out, " 0", 2);
        return 2;
    }
    int exponent = (text[layout.exponent_at + 2] - '0') * 100 + (text[layout.exponent_at + 3] - '0') * 10 +
                   (text[layout.exponent_at + 4] - '0');
    if (text[layout.exponent_at + 1] == '-') exponent = -exponent;
    if (exponent <= layout.fixed_limit && exponent - count >= layout.small_limit) {
        int decimals = count - exponent - 1;
        if (decimals < 0) decimals = 0;
        int length = std::snprintf(out, 40, "% .*f", decimals, value);
        if (out[1] == '0') {
            // Values below 1 are written without the zero before the point.
            std::memmove(out + 1, out + 2, static_cast<size_t>(length - 1));
            --length;
        }
        return length;
    }
    int length = count == 1 ? 2 : count + 2;
    std::memcpy(out, text, static_cast<size_t>(length));
    out[length++] = layout.letter;
    out[length++] = text[layout.exponent_at + 1];
    int first_digit = (exponent <= 99 && exponent >= -99) ? 3 : 2;
    for (int at = first_digit; at <= 4; ++at) out[length++] = text[layout.exponent_at + at];
    return length;
}

StringDescriptor* text_result(const char* text, int length, uint32_t room) {
    StringDescriptor* result = new_string(room, true);
    std::memcpy(result->data, text, static_cast<size_t>(length));
    result->length = length;
    return result;
}

StringDescriptor* empty_result() { return temp_literal(nullptr, 0); }

template <class Integer>
StringDescriptor* integer_result(Integer value, uint32_t room) {
    if (error_pending()) return empty_result();
    char text[32];
    int length;
    if constexpr (std::is_signed_v<Integer>)
        length = std::snprintf(text, sizeof text, "% " PRId64, static_cast<int64_t>(value));
    else
        length = std::snprintf(text, sizeof text, " %" PRIu64, static_cast<uint64_t>(value));
    return text_result(text, length, room);
}

}  // namespace

int single_text(float value, char* out) { return number_text(static_cast<double>(value), single_layout, out); }

int double_text(double value, char* out) { return number_text(value, double_layout, out); }

StringDescriptor* single_to_text(float value) {
    if (error_pending()) return empty_result();
    char text[48];
    int length = single_text(value, text);
    return text_result(text, length, single_room);
}

StringDescriptor* double_to_text(double value) {
    if (error_pending()) return empty_result();
    char text[48];
    int length = double_text(value, text);
    return text_result(text, length, double_room);
}

StringDescriptor* integer_to_text(int8_t value) { return integer_result(value, 4); }
StringDescriptor* integer_to_text(int16_t value) { return integer_result(value, 6); }
StringDescriptor* integer_to_text(int32_t value) { return integer_result(value, 11); }
StringDescriptor* integer_to_text(int64_t value) { return integer_result(value, 20); }
StringDescriptor* integer_to_text(uint8_t value) { return integer_result(value, 4); }
StringDescriptor* integer_to_text(uint16_t value) { return integer_result(value, 6); }
StringDescriptor* integer_to_text(uint32_t value) { return integer_result(value, 11); }
StringDescriptor* integer_to_text(uint64_t value) { return integer_result(value, 21); }
