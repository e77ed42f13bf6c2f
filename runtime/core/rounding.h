// Floating values passed where an integer is needed: round to nearest, ties
// to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), as the processor's conversion in
// its default rounding mode does. Out-of-range values give the processor's
// integer-indefinite result (the lowest value of the type).
#pragma once

#include <cstdint>

int32_t round_to_int32(double value);
int64_t round_to_int64(long double value);
