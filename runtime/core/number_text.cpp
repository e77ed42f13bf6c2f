#include "runtime/core/number_text.h"

#include <charconv>
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
    double whole_limit;  // whole numbers below this are written as they are
    int exponent_at;     // position of the exponent letter
    int fixed_limit;     // largest exponent still written in fixed form
    int small_limit;     // smallest exponent - count still written in fixed form
    char letter;
};

constexpr ExponentLayout single_layout{7, 1e7, 9, 6, -8, 'E'};
// (Doubles stop at 15 digits there: a sixteenth digit 9 changes the text.)
constexpr ExponentLayout double_layout{16, 1e15, 18, 15, -17, 'D'};

// Formats value with "% .<digits-1>E" and widens a two-digit exponent to
// three digits, so that the exponent always starts at the same position.
// (to_chars gives the same correctly rounded digits as the C library's E
// conversion, several times faster; the layout is rebuilt here.)
void format_exponent(double value, int digits, char* out) {
    char digits_text[40];
    auto [end, status] = std::to_chars(digits_text, digits_text + sizeof digits_text, std::fabs(value),
                                       std::chars_format::scientific, digits - 1);
    (void)status;
    out[0] = std::signbit(value) ? '-' : ' ';
    // "d.dddddde+XX": the mantissa, then the exponent's sign and digits.
    std::memcpy(out + 1, digits_text, static_cast<size_t>(digits + 1));
    int at = digits + 2;
    out[at] = 'E';
    const char* exponent = digits_text + digits + 2;
    out[at + 1] = exponent[0];
    int exponent_digits = static_cast<int>(end - exponent) - 1;
    out[at + 2] = exponent_digits == 3 ? exponent[1] : '0';
    out[at + 3] = exponent[exponent_digits - 1];
    out[at + 4] = exponent[exponent_digits];
    out[at + 5] = 0;
}

// "% .<decimals>f": a space before non-negative values.
int format_fixed(double value, int decimals, char* out) {
    out[0] = std::signbit(value) ? '-' : ' ';
    auto [end, status] = std::to_chars(out + 1, out + 40, std::fabs(value), std::chars_format::fixed, decimals);
    (void)status;
    return static_cast<int>(end - out);
}

int number_text(double value, const ExponentLayout& layout, char* out) {
    if (!std::isfinite(value)) {
        // Infinities and NaN have no digits to count: their E text stands.
        return std::snprintf(out, 40, "% .*E", layout.digits - 1, value);
    }
    if (std::fabs(value) < layout.whole_limit && value == std::trunc(value)) {
        // A whole number of few digits is exact in both conversions and always
        // takes the fixed form without decimals: its plain digits.
        int64_t whole = static_cast<int64_t>(value);
        out[0] = whole < 0 ? '-' : ' ';
        auto [end, status] = std::to_chars(out + 1, out + 40, whole < 0 ? -whole : whole);
        (void)status;
        return static_cast<int>(end - out);
    }
    char text[48];
    format_exponent(value, layout.digits, text);
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
        int length = format_fixed(value, decimals, out);
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
    // "% i" for signed values, " %u" for unsigned ones: a space or a minus.
    char text[32];
    text[0] = value < 0 ? '-' : ' ';
    char* first = text + (value < 0 ? 0 : 1);
    auto [end, status] = std::to_chars(first, text + sizeof text, value);
    (void)status;
    return text_result(text, static_cast<int>(end - text), room);
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
