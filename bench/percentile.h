// Small statistics shared by the latency benchmarks.
#pragma once

#include <algorithm>
#include <vector>

// The value below which percent of the values lie (the nearest rank).
inline double percentile(std::vector<double> values, int percent) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}
