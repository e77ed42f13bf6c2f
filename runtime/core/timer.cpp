#include "runtime/core/timer.h"

#include <atomic>
#include <cstring>

#include "runtime/core/emulated_memory.h"

#include "runtime/core/rounding.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/platform/system.h"

RandomState random_state;

void reset_random_state() { random_state = RandomState{}; }

namespace {

constexpr uint32_t ms_per_day = 86400000;
constexpr double ticks_per_second = 18.2;
constexpr uint32_t rnd_multiplier = 16598013;
constexpr uint32_t rnd_increment = 12820163;
constexpr uint32_t rnd_mask = 0xFFFFFF;
constexpr float rnd_range = 16777216.0f;

}  // namespace

uint32_t timer_ms_of_day(uint32_t now_ticks_ms, uint32_t ticks_base_ms, uint32_t ms_of_day_base) {
    return (now_ticks_ms - ticks_base_ms + ms_of_day_base) % ms_per_day;
}

uint32_t bios_ticks_at(uint32_t now_ticks_ms, uint32_t ticks_base_ms, uint32_t ms_of_day_base) {
    return static_cast<uint32_t>(timer_ms_of_day(now_ticks_ms, ticks_base_ms, ms_of_day_base) * 0.0182);
}

// The main thread stores the count while the program thread may read it, so
// every byte goes through an atomic access; a reader may still see a count
// half way through a carry, as a program reading the bytes one by one on the
// original machine could.
void refresh_bios_tick_count() {
    uint32_t ticks = bios_ticks_at(ticks_ms(), control.ticks_base.load(), control.ms_of_day_base.load());
    for (size_t i = 0; i < 3; ++i)
        std::atomic_ref<uint8_t>(emulated_memory[bios_tick_count_offset + i])
            .store(static_cast<uint8_t>(ticks >> (8 * i)), std::memory_order_relaxed);
}

uint32_t read_bios_tick_count() {
    uint32_t ticks = 0;
    for (size_t i = 0; i < 3; ++i)
        ticks |= uint32_t{std::atomic_ref<uint8_t>(emulated_memory[bios_tick_count_offset + i]).load(std::memory_order_relaxed)}
                 << (8 * i);
    return ticks;
}

double timer_at(uint32_t ms_of_day, double accuracy, bool passed) {
    if (error_pending()) return 0;
    double seconds = ms_of_day / 1000.0;
    double steps_per_second = ticks_per_second;
    if (passed) {
        // NaN is refused as well: it would give no step count at all.
        if (!(accuracy > 0)) {
            raise_error(5);
            return 0;
        }
        steps_per_second = 1 / accuracy;
    }
    double product = seconds * steps_per_second;
    double steps = static_cast<double>(round_to_int64(product));
    double value = steps / steps_per_second;
    return passed ? value : static_cast<double>(static_cast<float>(value));
}

double timer_value(double accuracy, bool passed) {
    if (error_pending()) return 0;
    uint32_t ms = timer_ms_of_day(ticks_ms(), control.ticks_base.load(std::memory_order_relaxed),
                                  control.ms_of_day_base.load(std::memory_order_relaxed));
    return timer_at(ms, accuracy, passed);
}

float rnd_value(float x, bool passed) {
    if (error_pending()) return 0;
    if (!passed) x = 1;
    if (x != 0) {
        if (x < 0) {
            uint32_t bits;
            std::memcpy(&bits, &x, sizeof bits);
            random_state.rnd_seed = (bits & rnd_mask) + (bits >> 24);
        }
        random_state.rnd_seed = (random_state.rnd_seed * rnd_multiplier + rnd_increment) & rnd_mask;
    }
    return static_cast<float>(random_state.rnd_seed) / rnd_range;
}

void randomize_statement(double seed, int32_t mode) {
    if (error_pending()) return;
    uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    uint32_t high = static_cast<uint32_t>(bits >> 32);
    uint32_t mixed = (high ^ (high >> 16)) & 0xFFFF;
    if (mode == randomize_using)
        random_state.rnd_seed = (random_state.rnd_initial_seed & 0xFF) | (mixed << 8);
    else if (mode == randomize_value)
        random_state.rnd_seed = (random_state.rnd_seed & 0xFF) | (mixed << 8);
}
