#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/core/runtime_control.h"
#include "runtime/input/key_port.h"

namespace {

TEST(KeyPort, ReadersTakeTheOldestEntryAndAFullRingDropsItsOldest) {
    std::vector<uint8_t> scans;  // 301 bytes with the first: the 256 newest stay, from the 46th on
    std::vector<int32_t> events;
    for (int i = 0; i < 300; ++i) scans.push_back(uint8_t(i % 200 + 1));
    for (int32_t i = 1; i <= int32_t(key_event_queue_size) + 5; ++i) events.push_back(i);
    const struct { std::vector<uint8_t> scans; std::vector<int32_t> events; int error; std::vector<int> reads, hits; }
        cases[] = {
            {{42, 42, 42 + 128}, {97, -97}, 0, {129, 42, 170, 170}, {97, -97, 0}},  // a repeated scan is not queued
            {{0x1E}, {97}, 5, {0, 0}, {0, 0}},  // nothing taken while an error is pending
            {scans, events, 0, {45, 46, 47}, {6, 7}},
        };
    for (const auto& c : cases) {
        reset_key_port();
        for (uint8_t scan : c.scans) queue_scan(scan);
        for (int32_t value : c.events) append_key_event(value, 0);
        control.pending_error = c.error;
        std::vector<int> reads(c.reads.size()), hits(c.hits.size());
        for (int& read : reads) read = read_scan_port();
        for (int& hit : hits) hit = key_hit();
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(hits, c.hits);
        if (c.error) {
            EXPECT_EQ(key_port.scan_queue.count() + key_port.key_event_queue.count(), 3u);
        }
    }
}

// The main thread appends while the program reads, the ring overflowing now
// and then: every event read is whole and the values come in order.
TEST(KeyPort, ReaderBesideAFloodingWriterSeesWholeEventsInOrder) {
    constexpr int32_t events = 300000;
    reset_runtime_control();
    reset_key_port();
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int32_t v = 1; v <= events; ++v) append_key_event(v, v & 1);
        done = true;
    });
    int32_t last = 0, read = 0, out_of_order = 0, torn = 0;
    for (KeyEvent event{}; !done.load() || key_port.key_event_queue.count() > 0;) {
        if (!take_key_event(event)) continue;
        out_of_order += event.value <= last;
        torn += event.keypad != (event.value & 1);
        last = event.value;
        ++read;
    }
    writer.join();
    EXPECT_EQ(out_of_order, 0);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(last, events);
    EXPECT_GE(read, int32_t(key_event_queue_size));
}

}  // namespace
