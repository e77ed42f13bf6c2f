#include <benchmark/benchmark.h>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/number_text.h"
#include "runtime/core/strings.h"

namespace {

void BM_SingleToText(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    const float values[] = {0.0f, 42.0f, 1250.0f, 3.14159265f, 0.00001234f, 12345678.0f, -0.25f, 99999.0f};
    size_t i = 0;
    for (auto _ : state) {
        uint32_t base = current_temp_top();
        StringDescriptor* text = single_to_text(values[i++ & 7]);
        benchmark::DoNotOptimize(text->data[0]);
        release_temporaries(base, 0);
    }
}
BENCHMARK(BM_SingleToText);

void BM_DoubleToText(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    const double values[] = {0.0, 42.0, 0.1 + 0.7, 1.0 / 3.0, 1.5e300, -2.5};
    size_t i = 0;
    for (auto _ : state) {
        uint32_t base = current_temp_top();
        StringDescriptor* text = double_to_text(values[i++ % 6]);
        benchmark::DoNotOptimize(text->data[0]);
        release_temporaries(base, 0);
    }
}
BENCHMARK(BM_DoubleToText);

}  // namespace
