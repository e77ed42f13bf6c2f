// The string functions: concatenation, comparisons, CHR$, STRING$, COMMAND$,
// the cutting functions, the case changes, INSTR, ASC and LEN. Temporary
// arguments are consumed where the result is a string; where it is a number
// they wait for the statement's clean-up.
#include <algorithm>
#include <cstring>
#include <string_view>

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

// --- LEFT$, RIGHT$, MID$, LTRIM$, RTRIM$, UCASE$, LCASE$ -----------------------
//
// A temporary whose text lies in the arena belongs to nobody else yet, so its
// descriptor is cut (or its bytes changed) where it lies and returned: no
// bytes move and nothing is allocated. Any other argument is copied into a
// new temporary, and a temporary argument (a literal) is freed.

namespace {

bool modifiable_temporary(const StringDescriptor* s) {
    return s->temporary && !s->read_only && !s->fixed && !s->in_emulated_memory;
}

// The bytes [from, from + count) of s, which the caller keeps inside s.
StringDescriptor* slice(StringDescriptor* s, int32_t from, int32_t count) {
    if (modifiable_temporary(s)) {
        // The bytes before the new start become a gap that compaction reclaims.
        s->data += from;
        s->length = count;
        return s;
    }
    // new_string may compact the arena, which moves texts: read data after it.
    StringDescriptor* result = new_string(static_cast<uint32_t>(count), true);
    if (count > 0) std::memcpy(result->data, s->data + from, static_cast<size_t>(count));
    if (s->temporary) free_string(s);
    return result;
}

int32_t clamp_count(int32_t count, int32_t length) { return count < 0 ? 0 : count > length ? length : count; }

// UCASE$ and LCASE$: ASCII letters from first to last move by delta.
StringDescriptor* change_case(StringDescriptor* s, uint8_t first, uint8_t last, int delta) {
    if (error_pending()) return empty_temporary();
    int32_t length = s->length;
    int32_t at = 0;
    while (at < length && (s->data[at] < first || s->data[at] > last)) ++at;
    if (at == length) return s;  // nothing to change: the argument itself
    StringDescriptor* result = s;
    if (!modifiable_temporary(s)) {
        result = new_string(static_cast<uint32_t>(length), true);
        std::memcpy(result->data, s->data, static_cast<size_t>(length));
        if (s->temporary) free_string(s);
    }
    for (uint8_t* p = result->data + at; p < result->data + length; ++p)
        if (*p >= first && *p <= last) *p = static_cast<uint8_t>(*p + delta);
    return result;
}

}  // namespace

StringDescriptor* left_string(StringDescriptor* s, int32_t count) {
    if (error_pending()) return empty_temporary();
    return slice(s, 0, clamp_count(count, s->length));
}

StringDescriptor* right_string(StringDescriptor* s, int32_t count) {
    if (error_pending()) return empty_temporary();
    int32_t kept = clamp_count(count, s->length);
    return slice(s, s->length - kept, kept);
}

StringDescriptor* mid_string(StringDescriptor* s, int32_t start, int32_t count, uint32_t passed) {
    if (error_pending()) return empty_temporary();
    int32_t length = s->length;
    int32_t from = start < 1 ? 0 : start > length ? length : start - 1;
    int32_t rest = length - from;
    return slice(s, from, (passed & 1) ? clamp_count(count, rest) : rest);
}

StringDescriptor* ltrim_string(StringDescriptor* s) {
    if (error_pending()) return empty_temporary();
    int32_t from = 0;
    while (from < s->length && s->data[from] == ' ') ++from;
    return slice(s, from, s->length - from);
}

StringDescriptor* rtrim_string(StringDescriptor* s) {
    if (error_pending()) return empty_temporary();
    int32_t kept = s->length;
    while (kept > 0 && s->data[kept - 1] == ' ') --kept;
    return slice(s, 0, kept);
}

StringDescriptor* ucase_string(StringDescriptor* s) { return change_case(s, 'a', 'z', 'A' - 'a'); }

StringDescriptor* lcase_string(StringDescriptor* s) { return change_case(s, 'A', 'Z', 'a' - 'A'); }

// --- INSTR, ASC, LEN and the ordering comparisons ------------------------------
//
// These give numbers; their temporary arguments wait for the statement's
// clean-up.

int32_t instr_position(int32_t start, StringDescriptor* haystack, StringDescriptor* needle, uint32_t passed) {
    if (error_pending()) return 0;
    int32_t from = (passed & 1) && start > 1 ? start : 1;
    if (haystack->length == 0 || from > haystack->length) return 0;
    if (needle->length == 0) return from;
    size_t found = string_text(haystack).find(string_text(needle), static_cast<size_t>(from - 1));
    return found == std::string_view::npos ? 0 : static_cast<int32_t>(found) + 1;
}

int32_t asc_code(StringDescriptor* s, int32_t position, uint32_t passed) {
    if (error_pending()) return 0;
    int32_t at = (passed & 1) ? position : 1;
    if (at < 1 || at > s->length) {
        raise_error(5);
        return 0;
    }
    return s->data[at - 1];
}

int32_t string_length(StringDescriptor* s) { return error_pending() ? 0 : s->length; }

namespace {

// Unsigned bytes over the shorter length, then the shorter string first.
int compare_strings(const StringDescriptor* left, const StringDescriptor* right) {
    size_t shorter = static_cast<size_t>(std::min(left->length, right->length));
    int bytes = shorter ? std::memcmp(left->data, right->data, shorter) : 0;
    if (bytes != 0) return bytes < 0 ? -1 : 1;
    return left->length < right->length ? -1 : left->length > right->length ? 1 : 0;
}

int32_t truth(bool value) { return value ? -1 : 0; }

}  // namespace

int32_t string_not_equal(StringDescriptor* left, StringDescriptor* right) {
    return error_pending() ? 0 : truth(compare_strings(left, right) != 0);
}
int32_t string_less(StringDescriptor* left, StringDescriptor* right) {
    return error_pending() ? 0 : truth(compare_strings(left, right) < 0);
}
int32_t string_less_equal(StringDescriptor* left, StringDescriptor* right) {
    return error_pending() ? 0 : truth(compare_strings(left, right) <= 0);
}
int32_t string_greater(StringDescriptor* left, StringDescriptor* right) {
    return error_pending() ? 0 : truth(compare_strings(left, right) > 0);
}
int32_t string_greater_equal(StringDescriptor* left, StringDescriptor* right) {
    return error_pending() ? 0 : truth(compare_strings(left, right) >= 0);
}
