#include <benchmark/benchmark.h>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/number_text.h"
#include "runtime/core/strings.h"

namespace {

// PRINT score: a work string takes STR$ of a number joined with a space, is
// printed (here: read) and freed, and the statement releases its temporaries.
void BM_PrintLikeStatement(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    float score = 1250;
    for (auto _ : state) {
        uint32_t base = current_temp_top();
        StringDescriptor* work = new_string(0, false);
        assign_string(work, concat_strings(single_to_text(score), temp_cstring(" ")));
        benchmark::DoNotOptimize(work->data[0]);
        free_string(work);
        release_temporaries(base, 0);
        score += 10;
    }
}
BENCHMARK(BM_PrintLikeStatement);

// The same statement with a literal instead of the number: the string
// machinery alone.
void BM_PrintLiteralStatement(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    for (auto _ : state) {
        uint32_t base = current_temp_top();
        StringDescriptor* work = new_string(0, false);
        assign_string(work, concat_strings(temp_literal("SCORE:", 6), temp_cstring(" ")));
        benchmark::DoNotOptimize(work->data[0]);
        free_string(work);
        release_temporaries(base, 0);
    }
}
BENCHMARK(BM_PrintLiteralStatement);

// key$ = CHR$(n) each step: the variable moves up the arena and compaction
// brings it back; the cost per statement stays flat.
void BM_AssignChrToVariable(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    StringDescriptor* key = new_string(0, false);
    int32_t code = 0;
    for (auto _ : state) {
        uint32_t base = current_temp_top();
        assign_string(key, chr_string(code));
        release_temporaries(base, 0);
        code = (code + 1) & 0xFF;
    }
    benchmark::DoNotOptimize(key->data);
}
BENCHMARK(BM_AssignChrToVariable);

}  // namespace
