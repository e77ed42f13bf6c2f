// The emulated 1 MB of PC conventional memory. Fixed places in it:
//
// | offset        | what                                                    |
// |---------------|---------------------------------------------------------|
// | 0x417, 0x418  | keyboard flag bytes                                     |
// | 0x41A, 0x41C  | keyboard ring head and tail (single bytes used)         |
// | 0x41E..0x43D  | keyboard ring: 16 two-byte entries                      |
// | 0x46C..0x46E  | BIOS timer tick count, 3 bytes little-endian            |
// | 0x496         | extended keyboard flags                                 |
// | 0x500         | string segment (the two start-up strings)               |
// | 0xA0000       | mode 13 pixels, 64000 bytes                             |
// | 0xB8000       | text pages of mode 0                                    |
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr size_t emulated_memory_size = 0x100000;
constexpr size_t bios_tick_count_offset = 0x46C;
constexpr size_t string_segment_offset = 1280;
constexpr size_t mode13_pixels_offset = 0xA0000;
constexpr size_t text_pages_offset = 0xB8000;

extern uint8_t emulated_memory[emulated_memory_size];

void clear_emulated_memory();

// Bytes that one thread publishes and another reads (the keyboard ring's head
// and tail): release on store, acquire on load.
inline uint8_t load_memory_byte_acquire(size_t offset) {
    return std::atomic_ref<uint8_t>(emulated_memory[offset]).load(std::memory_order_acquire);
}
inline void store_memory_byte_release(size_t offset, uint8_t value) {
    std::atomic_ref<uint8_t>(emulated_memory[offset]).store(value, std::memory_order_release);
}
