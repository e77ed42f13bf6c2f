#include "runtime/core/timer.h"

#include <algorithm>
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
constexpr uint32_t rnd_multiplier = 16598013;
constexpr uint32_t rnd_increment = 12820163;
constexpr uint32_t rnd_mask = 0xFFFFFF;
constexpr float rnd_range = 16777216.0f;

}  // namespace

uint32_t timer_ms_of_day(uint32_t now_ticks_ms, uint32_t ticks_base_ms, uint32_t ms_of_day_base) {
    return (now_ticks_ms - ticks_base_ms + ms_of_day_base) % ms_per_day;
}

namespace {

double stepped_seconds(uint32_t ms_of_day, double steps_per_second) {
    double product = ms_of_day / 1000.0 * steps_per_second;
    double steps = static_cast<double>(round_to_int64(product));
    return steps / steps_per_second;
}

float plain_timer_at(uint32_t ms_of_day) { return static_cast<float>(stepped_seconds(ms_of_day, ticks_per_second)); }

uint32_t current_ms_of_day() {
    return timer_ms_of_day(ticks_ms(), control.ticks_base.load(std::memory_order_relaxed),
                           control.ms_of_day_base.load(std::memory_order_relaxed));
}

}  // namespace

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
    double steps_per_second = ticks_per_second;
    if (passed) {
        // NaN is refused as well: it would give no step count at all.
        if (!(accuracy > 0)) {
            raise_error(5);
            return 0;
        }
        steps_per_second = 1 / accuracy;
    }
    double value = stepped_seconds(ms_of_day, steps_per_second);
    return passed ? value : static_cast<double>(static_cast<float>(value));
}

uint32_t timer_change_due_ms(uint32_t ms_of_day) {
    float shown = plain_timer_at(ms_of_day);
    auto differs_after = [&](uint32_t delay) { return plain_timer_at((ms_of_day + delay) % ms_per_day) != shown; };
    // The value steps where seconds x 18.2 passes a half; from a little
    // before that point the exact millisecond is found by looking.
    double steps = static_cast<double>(round_to_int64(ms_of_day / 1000.0 * ticks_per_second));
    double step_at_ms = (steps + 0.5) * 1000 / ticks_per_second;
    uint32_t delay = step_at_ms > ms_of_day + 2.0 ? static_cast<uint32_t>(step_at_ms - ms_of_day) - 2 : 1;
    if (ms_of_day + delay >= ms_per_day) delay = ms_per_day - ms_of_day;  // midnight comes first
    while (delay > 1 && differs_after(delay - 1)) --delay;
    for (int look = 0; look < 100 && !differs_after(delay); ++look) ++delay;
    return delay;
}

void sleep_until_timer_differs(float shown) {
    if (error_pending()) return;
    // The wait sleeps instead of polling, so that it costs no processor: in
    // whole milliseconds up to the last one before the change, then in naps
    // of a tenth of a millisecond, so that it still ends on the tick it waits
    // for, within a fraction of a millisecond of the change. The sleep is cut
    // into slices and ends early once attention_flag is set, so that Pause,
    // Ctrl+Break and a close reach the caller's statement step within a
    // slice, as the busy wait it replaces let them at once.
    for (;;) {
        uint32_t ms_of_day = current_ms_of_day();
        if (plain_timer_at(ms_of_day) != shown || control.attention_flag.load() != 0) return;
        uint32_t due_in = timer_change_due_ms(ms_of_day);
        if (due_in <= 1) break;
        sleep_ms(std::min(due_in - 1, timer_sleep_slice_ms));
    }
    for (int nap = 0; nap < 100 && plain_timer_at(current_ms_of_day()) == shown && control.attention_flag.load() == 0; ++nap)
        sleep_us(100);
}

double timer_value(double accuracy, bool passed) {
    if (error_pending()) return 0;
    return timer_at(current_ms_of_day(), accuracy, passed);
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
