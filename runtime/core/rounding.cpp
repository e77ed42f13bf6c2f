#include "runtime/core/rounding.h"

#include <cmath>

// nearbyint rounds in the current mode, which the runtime never changes from
// round-to-nearest-even.
int32_t round_to_int32(double value) {
    double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return INT32_MIN;
    return static_cast<int32_t>(rounded);
}

int64_t round_to_int64(long double value) {
    long double rounded = std::nearbyint(value);
    if (!(rounded >= -9223372036854775808.0L && rounded <= 9223372036854775807.0L)) return INT64_MIN;
    return static_cast<int64_t>(rounded);
}
