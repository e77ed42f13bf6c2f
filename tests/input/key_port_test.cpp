#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "runtime/core/runtime_control.h"
#include "runtime/input/key_port.h"

namespace {

class KeyPort : public ::testing::Test {
protected:
    void SetUp() override {
        reset_runtime_control();
        reset_key_port();
    }
    void TearDown() override { reset_runtime_control(); }
};

TEST_F(KeyPort, ScanPortGivesTheOldestByteAndKeepsTheLastOne) {
    struct Case {
        const char* label;
        std::vector<uint8_t> queued;
        bool error;
        std::vector<int> reads;
    };
    std::vector<uint8_t> many;
    for (int i = 0; i < 300; ++i) many.push_back(static_cast<uint8_t>(i % 200 + 1));
    const Case cases[] = {
        {"first byte", {}, false, {129, 129, 129}},
        {"press and release", {0x1E, 0x9E}, false, {129, 0x1E, 0x9E, 0x9E}},
        {"a repeat is not queued", {42, 42, 42 + 128}, false, {129, 42, 170, 170}},
        {"error pending", {0x1E}, true, {0, 0}},
        // 301 bytes with the first: the 256 newest stay, from the 46th on.
        {"full", many, false, {45, 46, 47}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        reset_key_port();
        reset_runtime_control();
        for (uint8_t scan : c.queued) queue_scan(scan);
        if (c.error) control.pending_error = 5;
        std::vector<int> reads;
        for (size_t i = 0; i < c.reads.size(); ++i) reads.push_back(read_scan_port());
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(key_port.scan_queue.count(), c.error ? c.queued.size() + 1 : key_port.scan_queue.count())
            << "nothing taken while an error is pending";
    }
}

TEST_F(KeyPort, KeyHitTakesTheOldestEvent) {
    struct Case {
        const char* label;
        std::vector<KeyEvent> pushed;
        bool error;
        std::vector<int32_t> hits;
    };
    std::vector<KeyEvent> many;
    for (int32_t i = 1; i <= int32_t(key_event_queue_size) + 5; ++i) many.push_back({i, 0});
    const Case cases[] = {
        {"empty", {}, false, {0}},
        {"press, release, keypad", {{97, 0}, {-97, 0}, {'8', 1}}, false, {97, -97, '8', 0}},
        {"error pending", {{97, 0}}, true, {0, 0}},
        {"full", many, false, {6, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        reset_key_port();
        reset_runtime_control();
        for (const KeyEvent& e : c.pushed) append_key_event(e.value, e.keypad);
        if (c.error) control.pending_error = 5;
        std::vector<int32_t> hits;
        for (size_t i = 0; i < c.hits.size(); ++i) hits.push_back(key_hit());
        EXPECT_EQ(hits, c.hits);
        EXPECT_EQ(key_port.key_event_queue.count(), c.error ? c.pushed.size() : key_port.key_event_queue.count())
            << "nothing taken while an error is pending";
    }
    reset_key_port();
    append_key_event('5', 1);
    KeyEvent event{};
    ASSERT_TRUE(take_key_event(event));
    EXPECT_EQ(event.value, '5');
    EXPECT_EQ(event.keypad, 1);
    EXPECT_FALSE(take_key_event(event));
}

// The main thread appends while the program reads, the ring overflowing now
// and then: every event read is whole and the values come in order.
TEST_F(KeyPort, ReaderBesideAFloodingWriterSeesWholeEventsInOrder) {
    constexpr int32_t events = 300000;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int32_t v = 1; v <= events; ++v) append_key_event(v, v & 1);
        done = true;
    });
    int32_t last = 0, read = 0;
    bool in_order = true, whole = true;
    for (KeyEvent event{}; !done.load() || key_port.key_event_queue.count() > 0;) {
        if (!take_key_event(event)) continue;
        in_order &= event.value > last;
        whole &= event.keypad == (event.value & 1);
        last = event.value;
        ++read;
    }
    writer.join();
    EXPECT_TRUE(in_order);
    EXPECT_TRUE(whole);
    EXPECT_EQ(last, events);
    EXPECT_GE(read, int32_t(key_event_queue_size));
}

}  // namespace
