// STR$: numbers as text. Non-negative values get a leading space, negative
// ones a minus sign. Singles show at most 7 significant digits, doubles 16;
// beyond their fixed-form range they use an exponent ("1E+07", "1.5D+20").
//
// Each result is a new temporary string. Program thread only: the
// conversions share scratch buffers.
#pragma once

#include <cstdint>

#include "runtime/core/strings.h"

StringDescriptor* single_to_text(float value);
StringDescriptor* double_to_text(double value);

// Integers are written at their declared width: 200 held in an int8_t is -56.
StringDescriptor* integer_to_text(int8_t value);
StringDescriptor* integer_to_text(int16_t value);
StringDescriptor* integer_to_text(int32_t value);
StringDescriptor* integer_to_text(int64_t value);
StringDescriptor* integer_to_text(uint8_t value);
StringDescriptor* integer_to_text(uint16_t value);
StringDescriptor* integer_to_text(uint32_t value);
StringDescriptor* integer_to_text(uint64_t value);

// The same texts into a caller's buffer (at least 48 bytes); returns the
// length. Used by the functions above and by tests.
int single_text(float value, char* out);
int double_text(double value, char* out);
