// The keyboard as a program reads it besides INKEY$: the keyboard
// controller's data port (scan codes) and the key-hit reader over the key
// event queue.
//
// | queue           | entries                                   | written by                 |
// |-----------------|-------------------------------------------|----------------------------|
// | scan queue      | 256 bytes: scan code on a press, scan +   | key_down / key_up          |
// |                 | 128 on a release; starts as one byte 129  | (a repeat of the last byte |
// |                 |                                           | is not queued)             |
// | key event queue | 8192 (value, keypad) pairs: key code on a | key_down / key_up, unless  |
// |                 | press, minus it on a release; keypad keys | ON KEY took the key        |
// |                 | as the character or navigation key        |                            |
//
// Both drop their oldest entry when full. Threads: the main thread's key
// handlers append, the program thread reads; no lock (see DroppingRing).
#pragma once

#include <atomic>
#include <cstdint>

constexpr uint32_t key_event_queue_size = 8192;
constexpr uint32_t scan_queue_size = 256;
constexpr uint8_t scan_queue_first_byte = 129;  // a release of scan 1, Esc

// A ring with one producer and one consumer that drops its oldest entry when
// full. Dropping moves the consumer's index, so both sides advance it with a
// compare-and-swap, and a consumer that loses that race reads again (the
// entry it read may have been overwritten). Indexes run freely; the slot is
// the index modulo Size. Entries are atomics so that such a read is no race.
template <class T, uint32_t Size>
class DroppingRing {
public:
    // Producer: appends, dropping the oldest entry when full.
    void push(T value) {
        uint32_t t = tail_.load(std::memory_order_relaxed);
        uint32_t h = head_.load(std::memory_order_acquire);
        // A failed exchange means that the consumer took one: there is room.
        if (t - h >= Size) head_.compare_exchange_strong(h, h + 1, std::memory_order_acq_rel);
        entries_[t % Size].store(value, std::memory_order_relaxed);
        tail_.store(t + 1, std::memory_order_release);
    }
    // Producer: the entry it appended last; only while not empty.
    T newest() const { return entries_[(tail_.load(std::memory_order_relaxed) - 1) % Size].load(std::memory_order_relaxed); }

    // Consumer: the oldest entry into out, removed unless at most keep
    // entries wait. False when the ring is empty.
    bool take(T& out, uint32_t keep) {
        for (;;) {
            uint32_t h = head_.load(std::memory_order_acquire);
            uint32_t t = tail_.load(std::memory_order_acquire);
            if (t == h) return false;
            out = entries_[h % Size].load(std::memory_order_relaxed);
            if (t - h <= keep) return true;
            if (head_.compare_exchange_weak(h, h + 1, std::memory_order_acq_rel)) return true;
        }
    }

    // Either side, or tests: entries waiting, and the one at position i from the oldest.
    uint32_t count() const { return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire); }
    T peek(uint32_t i) const { return entries_[(head_.load() + i) % Size].load(std::memory_order_relaxed); }

    // Neither side running: empty.
    void clear() {
        head_.store(0);
        tail_.store(0);
    }

private:
    std::atomic<T> entries_[Size] = {};
    std::atomic<uint32_t> head_{0};
    std::atomic<uint32_t> tail_{0};
};

struct KeyEvent {
    int32_t value;   // positive: press, negative: release
    int32_t keypad;  // 1 for keypad keys
};

struct KeyPortState {
    KeyPortState() { scan_queue.push(scan_queue_first_byte); }
    DroppingRing<uint8_t, scan_queue_size> scan_queue;
    DroppingRing<uint64_t, key_event_queue_size> key_event_queue;  // value in the low half, keypad in the high
};
extern KeyPortState key_port;

// Start-up and tests: the scan queue holds its first byte, no key events.
void reset_key_port();

// Main thread: a scan code for the port (not queued when it repeats the last).
void queue_scan(uint8_t scan);
// Main thread: a key event for the key-hit reader.
void append_key_event(int32_t value, int32_t keypad);

// Reading the data port (INP(&H60)): the oldest scan code, which stays when
// it is the only one. 0 while an error is pending.
uint8_t read_scan_port();

// The key-hit reader: the oldest key event's value (a key code, negative for
// a release), removed; 0 when none waits or while an error is pending.
int32_t key_hit();
// The same with the keypad flag; false when none waits or an error is pending.
bool take_key_event(KeyEvent& event);

// Tests: the key event at position i from the oldest.
KeyEvent peek_key_event(uint32_t i);
