// Screen costs: reading a character back from a mode-13 cell (the quick
// pattern lookup beside the plain comparison with each glyph), printing a
// 31-character maze row, and PAINT of the whole cleared mode-13 screen.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "runtime/core/runtime_control.h"
#include "runtime/screen/flood_fill.h"
#include "runtime/screen/read_back.h"
#include "runtime/screen/screen_image.h"
#include "runtime/screen/screen_mode.h"
#include "runtime/screen/text_output.h"

namespace {

void fresh_mode13() {
    reset_runtime_control();
    screen_start_tables();
    screen_start();
    set_screen_mode(13, 0, 0, 0, 0, 1);
    text_output_state.control_chars_as_glyphs = 1;
}

// A screen of the game's kind: every cell a random glyph in a random colour,
// a quarter of them blank.
void fill_cells_with_glyphs() {
    std::mt19937 random(5);
    for (int row = 1; row <= 25; ++row)
        for (int col = 1; col <= 40; ++col) {
            uint8_t code = random() % 4 ? static_cast<uint8_t>(random()) : ' ';
            locate_statement(row, col, 0, 0, 0, 3);
            color_statement(1 + static_cast<int>(random() % 255), 0, 0, 1);
            print_bytes(&code, 1, 0);
        }
}

template <uint32_t (*read)(int32_t, int32_t, int32_t, uint32_t)>
void read_every_cell(benchmark::State& state) {
    fresh_mode13();
    fill_cells_with_glyphs();
    for (auto _ : state)
        for (int row = 1; row <= 25; ++row)
            for (int col = 1; col <= 40; ++col) benchmark::DoNotOptimize(read(row, col, 0, 0));
    state.SetItemsProcessed(state.iterations() * 1000);
}

void BM_CharacterAtLookup(benchmark::State& state) { read_every_cell<character_at>(state); }
BENCHMARK(BM_CharacterAtLookup);

void BM_CharacterAtPlainComparison(benchmark::State& state) { read_every_cell<character_at_by_comparison>(state); }
BENCHMARK(BM_CharacterAtPlainComparison);

// One maze row of the game: 31 glyphs of walls, doors and floor.
void BM_PrintMazeRow(benchmark::State& state) {
    fresh_mode13();
    text_output_state.control_chars_as_glyphs = 0;
    const uint8_t row[31] = {219, 219, 177, 32, 32, 178, 219, 32, 235, 32, 231, 219, 219, 32, 8, 32,
                             177, 177, 32, 219, 32, 32, 176, 219, 32, 2, 32, 219, 178, 32, 219};
    color_statement(44, 0, 0, 1);
    for (auto _ : state) {
        locate_statement(12, 5, 0, 0, 0, 3);
        print_bytes(row, 31, 0);
    }
    state.SetItemsProcessed(state.iterations() * 31);
}
BENCHMARK(BM_PrintMazeRow);

// PAINT over all 64000 pixels, alternately 44 over 0 and 0 over 44.
void BM_PaintWholeScreen(benchmark::State& state) {
    fresh_mode13();
    uint32_t color = 44;
    for (auto _ : state) {
        paint_fill(160, 100, color, 0, 0, 2);
        color = color ? 0 : 44;
    }
    state.SetItemsProcessed(state.iterations() * 64000);
}
BENCHMARK(BM_PaintWholeScreen);

}  // namespace
