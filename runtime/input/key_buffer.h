// The BIOS keyboard ring in emulated memory, and INKEY$.
//
// | offset        | content                                             |
// |---------------|-----------------------------------------------------|
// | 0x41A         | head: offset from 0x400 of the oldest entry         |
// | 0x41C         | tail: offset from 0x400 where the next entry goes   |
// | 0x41E..0x43D  | 16 entries: character code, then scan code          |
//
// Head and tail step 0x1E, 0x20, ..., 0x3C and wrap to 0x1E. Head equal to
// tail means empty, so the ring holds at most 15 keys: the sixteenth would
// make it look empty again. Single producer (the main thread moves the tail)
// and single consumer (the program thread moves the head); each side
// publishes its byte with release ordering after writing or reading the entry.
#pragma once

#include <cstdint>

struct StringDescriptor;

constexpr uint32_t key_buffer_head_offset = 0x41A;
constexpr uint32_t key_buffer_tail_offset = 0x41C;
constexpr uint8_t key_buffer_first = 0x1E;
constexpr uint8_t key_buffer_end = 0x3E;  // one past the last entry
constexpr int key_buffer_capacity = 15;

// Start-up: head and tail words both 0x001E.
void empty_keyboard_buffer();

// Main thread: appends one entry; false (and nothing written) when full.
bool append_key_entry(uint8_t character, uint8_t scan);

// Number of entries waiting.
int keyboard_buffer_count();

// Program thread: takes the oldest entry. Returns 0 (empty), 1 for an
// ordinary key (out[0]) or 2 for an extended key (0, scan).
int take_key_entry(uint8_t out[2]);

// INKEY$ over plain bytes: nothing while an error is pending, otherwise it
// yields the processor once (a program polling INKEY$ must not starve the
// main thread) and takes the oldest entry. Once a program polls it in a tight
// loop, the reads keep an even pace of one per 10 ms: each waits for its
// turn instead of yielding, a key appended meanwhile ends the wait at once,
// and the pace is the same whether keys arrive or not.
int inkey_bytes(uint8_t out[2]);

// Forgets the run of quick reads and its pace (for tests).
void reset_inkey_rest();

// INKEY$: the same as a temporary string of 0, 1 or 2 bytes (up arrow:
// CHR$(0) + "H").
StringDescriptor* inkey();
