#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

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

// A 1,000-byte text of the alphabet over and over, with "XYZZY" only in its
// last ten bytes: every 26 bytes INSTR meets a start that fails late.
std::string thousand_bytes() {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += static_cast<char>('A' + i % 26);
    text.replace(991, 5, "XYZZY");
    return text;
}

StringDescriptor* variable_holding(const std::string& text) {
    StringDescriptor* v = new_string(0, false);
    assign_string(v, temp_literal(text.data(), static_cast<int32_t>(text.size())));
    return v;
}

// What MID$ itself takes from the string storage, summed over the calls.
struct StorageTaken {
    size_t arena_bytes = 0;
    uint64_t descriptors = 0;

    StringDescriptor* mid(StringDescriptor* text) {
        size_t used = string_storage.arena_used;
        uint32_t live = string_storage.live_descriptors;
        StringDescriptor* part = mid_string(text, 401, 200, 1);
        arena_bytes += string_storage.arena_used - used;
        descriptors += string_storage.live_descriptors - live;
        return part;
    }
    void report(benchmark::State& state) const {
        double calls = static_cast<double>(state.iterations());
        state.counters["arena_bytes_per_call"] = static_cast<double>(arena_bytes) / calls;
        state.counters["descriptors_per_call"] = static_cast<double>(descriptors) / calls;
    }
};

// MID$(v$, 401, 200) of a 1,000-byte variable: a new 200-byte temporary, freed
// by the statement's clean-up.
void BM_MidOfVariable1000(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    StringDescriptor* text = variable_holding(thousand_bytes());
    StorageTaken taken;
    for (auto _ : state) {
        uint32_t base = current_temp_top();
        benchmark::DoNotOptimize(taken.mid(text)->data[0]);
        release_temporaries(base, 0);
    }
    taken.report(state);
}
BENCHMARK(BM_MidOfVariable1000);

// MID$ of a 1,000-byte temporary (as in MID$(a$ + b$, 401, 200)): the
// temporary is cut where it lies. Each call starts from the whole text again.
void BM_MidOfTemporary1000(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    std::string source = thousand_bytes();
    StringDescriptor* text = new_string(1000, true);
    std::memcpy(text->data, source.data(), 1000);
    uint8_t* whole = text->data;
    StorageTaken taken;
    for (auto _ : state) {
        text->data = whole;
        text->length = 1000;
        benchmark::DoNotOptimize(taken.mid(text)->data[0]);
    }
    taken.report(state);
    if (text->data != whole + 400 || text->length != 200) state.SkipWithError("MID$ copied the temporary");
}
BENCHMARK(BM_MidOfTemporary1000);

// INSTR(v$, "XYZZY") over a 1,000-byte variable, found at byte 992.
void BM_InstrOver1000(benchmark::State& state) {
    clear_emulated_memory();
    strings_start();
    StringDescriptor* text = variable_holding(thousand_bytes());
    StringDescriptor* needle = variable_holding("XYZZY");
    for (auto _ : state) benchmark::DoNotOptimize(instr_position(0, text, needle, 0));
    if (instr_position(0, text, needle, 0) != 992) state.SkipWithError("INSTR missed the needle");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1000);
}
BENCHMARK(BM_InstrOver1000);

}  // namespace
