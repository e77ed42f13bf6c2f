#include "runtime/input/key_buffer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/platform/system.h"

namespace {

using Clock = std::chrono::steady_clock;

// A program polling INKEY$ in a loop (a menu, a "press any key", a play loop
// without its step pause) would keep a processor busy for nothing. After a
// run of quick reads (each less than quick_gap after the one before) the
// reads are paced: each further read waits for its turn, one every
// inkey_pace, or until the main thread appends a key. A key is read as soon
// as it arrives, yet a read that a key let through early still uses its
// turn, so the loop runs at one read per inkey_pace whether keys arrive or
// not: the play loop without its step pause keeps an even 100 steps a
// second, its chasers, drops and crawler too, while a key is held. A burst
// of keys runs ahead by two turns at most, so that no rest lasts longer.
// Reads spaced apart (a play step waiting for its tick between them) never
// start a run and keep the plain yield.
constexpr int quick_run = 16;
constexpr auto quick_gap = std::chrono::milliseconds(2);
constexpr auto inkey_pace = std::chrono::milliseconds(10);

struct KeyArrival {
    std::mutex mutex;
    std::condition_variable appended;
    uint64_t count = 0;  // keys appended so far; under mutex
};
// Never destroyed: the process may end while the program thread still rests
// on it, and a condition variable must not be torn down under a waiter.
KeyArrival& arrival = *new KeyArrival;

struct ReadRun {
    int reads = 0;                   // quick reads in a row, keys or none
    Clock::time_point last_read{};
    Clock::time_point turn{};        // when the next paced read may go on
};
ReadRun read_run;  // program thread only

void announce_key() {
    {
        std::lock_guard<std::mutex> lock(arrival.mutex);
        ++arrival.count;
    }
    arrival.appended.notify_one();
}

// Waits for the main thread to append a key, or until the given time.
void rest_for_key(Clock::time_point until) {
    std::unique_lock<std::mutex> lock(arrival.mutex);
    uint64_t seen = arrival.count;
    if (load_memory_byte_acquire(key_buffer_head_offset) != load_memory_byte_acquire(key_buffer_tail_offset)) return;
    arrival.appended.wait_until(lock, until, [&] { return arrival.count != seen; });
}

uint8_t next_slot(uint8_t slot) {
    slot = static_cast<uint8_t>(slot + 2);
    return slot >= key_buffer_end ? key_buffer_first : slot;
}

}  // namespace

void empty_keyboard_buffer() {
    emulated_memory[key_buffer_head_offset + 1] = 0;
    emulated_memory[key_buffer_tail_offset + 1] = 0;
    store_memory_byte_release(key_buffer_head_offset, key_buffer_first);
    store_memory_byte_release(key_buffer_tail_offset, key_buffer_first);
}

bool append_key_entry(uint8_t character, uint8_t scan) {
    uint8_t tail = load_memory_byte_acquire(key_buffer_tail_offset);
    uint8_t head = load_memory_byte_acquire(key_buffer_head_offset);
    // A tail outside the ring (memory written by something else) is put back
    // at the start instead of writing beyond the entries.
    if (tail < key_buffer_first || tail >= key_buffer_end || (tail & 1) != 0) tail = key_buffer_first;
    uint8_t next = next_slot(tail);
    if (next == head) return false;
    emulated_memory[0x400 + tail] = character;
    emulated_memory[0x401 + tail] = scan;
    store_memory_byte_release(key_buffer_tail_offset, next);
    announce_key();
    return true;
}

int keyboard_buffer_count() {
    int head = load_memory_byte_acquire(key_buffer_head_offset);
    int tail = load_memory_byte_acquire(key_buffer_tail_offset);
    int entries = (key_buffer_end - key_buffer_first) / 2;
    return ((tail - head) / 2 + entries) % entries;
}

int take_key_entry(uint8_t out[2]) {
    uint8_t head = load_memory_byte_acquire(key_buffer_head_offset);
    uint8_t tail = load_memory_byte_acquire(key_buffer_tail_offset);
    if (head == tail) return 0;
    if (head < key_buffer_first || head >= key_buffer_end || (head & 1) != 0) {
        store_memory_byte_release(key_buffer_head_offset, tail);
        return 0;
    }
    uint8_t character = emulated_memory[0x400 + head];
    uint8_t scan = emulated_memory[0x401 + head];
    store_memory_byte_release(key_buffer_head_offset, next_slot(head));
    out[0] = character;
    out[1] = scan;
    return character != 0 || scan == 0 ? 1 : 2;
}

int inkey_bytes(uint8_t out[2]) {
    if (error_pending()) return 0;
    Clock::time_point start = Clock::now();
    read_run.reads = start - read_run.last_read < quick_gap ? read_run.reads + 1 : 0;
    // Without the main thread running nobody can append a key during a rest.
    if (read_run.reads > quick_run && control.threads_started.load() == 1) {
        if (read_run.reads == quick_run + 1) read_run.turn = start + inkey_pace;
        if (start < read_run.turn) rest_for_key(read_run.turn);
        Clock::time_point now = Clock::now();
        read_run.turn = std::min(std::max(read_run.turn, now) + inkey_pace, now + 2 * inkey_pace);
    } else {
        sleep_ms(0);
    }
    int length = take_key_entry(out);
    read_run.last_read = Clock::now();
    return length;
}

void reset_inkey_rest() { read_run = ReadRun{}; }

StringDescriptor* inkey() {
    uint8_t bytes[2];
    int length = inkey_bytes(bytes);
    StringDescriptor* result = new_string(static_cast<uint32_t>(length), true);
    for (int i = 0; i < length; ++i) result->data[i] = bytes[i];
    return result;
}
