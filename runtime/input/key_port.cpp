#include "runtime/input/key_port.h"

#include "runtime/core/statement.h"

KeyPortState key_port;

namespace {

uint64_t pack(int32_t value, int32_t keypad) {
    return static_cast<uint32_t>(value) | static_cast<uint64_t>(static_cast<uint32_t>(keypad)) << 32;
}

KeyEvent unpack(uint64_t entry) {
    return {static_cast<int32_t>(static_cast<uint32_t>(entry)), static_cast<int32_t>(entry >> 32)};
}

}  // namespace

void reset_key_port() {
    key_port.scan_queue.clear();
    key_port.scan_queue.push(scan_queue_first_byte);
    key_port.key_event_queue.clear();
}

void queue_scan(uint8_t scan) {
    // The queue is never empty: the port keeps its last byte.
    if (key_port.scan_queue.newest() == scan) return;
    key_port.scan_queue.push(scan);
}

void append_key_event(int32_t value, int32_t keypad) { key_port.key_event_queue.push(pack(value, keypad)); }

uint8_t read_scan_port() {
    if (error_pending()) return 0;
    uint8_t scan = 0;
    key_port.scan_queue.take(scan, 1);
    return scan;
}

bool take_key_event(KeyEvent& event) {
    if (error_pending()) return false;
    uint64_t entry;
    if (!key_port.key_event_queue.take(entry, 0)) return false;
    event = unpack(entry);
    return true;
}

int32_t key_hit() {
    KeyEvent event{};
    return take_key_event(event) ? event.value : 0;
}

KeyEvent peek_key_event(uint32_t i) { return unpack(key_port.key_event_queue.peek(i)); }
