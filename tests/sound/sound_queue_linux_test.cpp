#include "runtime/sound/sound_queue.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include "audio_fixture.h"
#include "runtime/core/statement.h"
#include "runtime/sound/tone.h"

using SoundQueueTest = AudioDeviceTest;

TEST_F(SoundQueueTest, SoundsPlayOneAfterAnotherAndTheMarkerReleasesTheProgram) {
    int32_t lead = sound_queue.handles[0].load();
    int32_t first = make_sound(render_tone(440, 0.1, 1.0));
    int32_t second = make_sound(render_tone(660, 0.1, 1.0));
    int32_t marker = make_sound(std::vector<uint8_t>(4, 0));
    ASSERT_TRUE(queue_sound(first));
    ASSERT_TRUE(queue_sound(second));
    ASSERT_TRUE(queue_sound_and_wait(marker));
    EXPECT_EQ(sound_queue.wait_marker.load(), 3);
    EXPECT_EQ(control.suspend_bits.load() & suspend_music, suspend_music);
    EXPECT_EQ(control.attention_flag.load(), 1);

    sound_queue_step();
    EXPECT_EQ(sound_queue.queue_read.load(), 1);
    EXPECT_EQ(slot_of(lead)->playing, 1);
    // Nothing more starts while the lead silence plays.
    sound_queue_step();
    EXPECT_EQ(sound_queue.queue_read.load(), 1);

    ASSERT_TRUE(step_until([&] { return sound_queue.queue_read.load() == 2; }));
    uint32_t first_start = slot_of(first)->start_time_ms;
    EXPECT_EQ(slot_of(lead), nullptr);  // closed and freed once it had stopped
    EXPECT_EQ(Mix_Playing(-1), 1);      // only the first tone sounds

    ASSERT_TRUE(step_until([&] { return sound_queue.queue_read.load() == 3; }));
    EXPECT_EQ(slot_of(first), nullptr);
    EXPECT_GE(slot_of(second)->start_time_ms - first_start, 90u);
    EXPECT_EQ(control.suspend_bits.load() & suspend_music, suspend_music);

    ASSERT_TRUE(step_until([&] { return (control.suspend_bits.load() & suspend_music) == 0; }));
    EXPECT_EQ(sound_queue.queue_read.load(), 4);
    EXPECT_EQ(sound_queue.wait_marker.load(), -1);
    // The last sound stays open until another is queued.
    SDL_Delay(50);
    sound_queue_step();
    EXPECT_NE(slot_of(marker), nullptr);
}

TEST_F(SoundQueueTest, FullRingDropsTheSoundInsteadOfOverwritingQueuedHandles) {
    // 9,999 outstanding: queue_write sits just behind queue_read, on the entry
    // of the sound that plays.
    sound_queue.queue_read = 1;
    sound_queue.queue_write = 0;
    int32_t lead = sound_queue.handles[0].load();
    int32_t extra = make_sound(std::vector<uint8_t>(4, 0));
    EXPECT_EQ(queued_sound_count(), 9999);
    EXPECT_FALSE(queue_sound(extra));
    EXPECT_EQ(sound_queue.queue_write.load(), 0);
    EXPECT_EQ(sound_queue.handles[0].load(), lead);
    EXPECT_EQ(find_sound_slot(extra), -1);  // released, slot and samples

    int32_t waited = make_sound(std::vector<uint8_t>(4, 0));
    EXPECT_FALSE(queue_sound_and_wait(waited));
    EXPECT_EQ(control.suspend_bits.load(), 0);
    EXPECT_EQ(sound_queue.wait_marker.load(), -1);
    EXPECT_EQ(find_sound_slot(waited), -1);

    // One fewer outstanding leaves room for exactly one more.
    sound_queue.queue_read = 2;
    int32_t fits = make_sound(std::vector<uint8_t>(4, 0));
    EXPECT_TRUE(queue_sound(fits));
    EXPECT_EQ(sound_queue.handles[0].load(), fits);
    EXPECT_EQ(sound_queue.queue_write.load(), 1);
    EXPECT_EQ(queued_sound_count(), 9999);
    reset_sound_queue();
}

TEST_F(SoundQueueTest, RingWrapsFromTheLastPositionToTheFirst) {
    sound_queue_step();  // starts the lead silence at position 0
    sound_queue.queue_read = 9999;
    sound_queue.queue_write = 9999;
    sound_queue.handles[9998] = sound_queue.handles[0].load();
    int32_t tone = make_sound(render_tone(440, 0.05, 1.0));
    ASSERT_TRUE(queue_sound(tone));
    EXPECT_EQ(sound_queue.queue_write.load(), 0);
    ASSERT_TRUE(step_until([&] { return sound_queue.queue_read.load() == 0; }));
    EXPECT_EQ(slot_of(tone)->playing, 1);
}

TEST_F(SoundQueueTest, SoundStatementRangesAndTheToneAsItsOwnMarker) {
    for (auto [frequency, duration] : {std::pair{36.0, 1.0}, {100.0, -1.0}, {32768.0, 1.0}, {440.0, 65536.0}, {-1.0, 1.0}}) {
        tone_statement(frequency, duration);
        EXPECT_EQ(control.pending_error.load(), 5) << frequency << ", " << duration;
        reset_runtime_control();
    }
    tone_statement(440, 0);
    EXPECT_EQ(queued_sound_count(), 1);  // the lead silence only
    EXPECT_EQ(control.suspend_bits.load(), 0);

    tone_statement(0, 18.2);
    ASSERT_EQ(queued_sound_count(), 2);
    int32_t handle = sound_queue.handles[1].load();
    const SoundSlot* slot = slot_of(handle);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->samples.size(), 88200u);  // one second of silence
    for (uint8_t byte : slot->samples) ASSERT_EQ(byte, 0);
    EXPECT_EQ(sound_queue.wait_marker.load(), 1);
    EXPECT_EQ(control.suspend_bits.load(), suspend_music);
    // The program goes on when the tone starts, not when it ends.
    ASSERT_TRUE(step_until([&] { return control.suspend_bits.load() == 0; }));
    EXPECT_EQ(slot_of(handle)->playing, 1);

    int32_t write = sound_queue.queue_write.load();
    raise_error(6);
    tone_statement(440, 1);
    EXPECT_EQ(sound_queue.queue_write.load(), write);
}

TEST_F(SoundQueueTest, BeepQueuesTheBellWithoutWaitingThenPauses) {
    uint32_t start = SDL_GetTicks();
    beep();
    EXPECT_GE(SDL_GetTicks() - start, 250u);
    ASSERT_EQ(queued_sound_count(), 2);
    const SoundSlot* bell = slot_of(sound_queue.handles[1].load());
    ASSERT_NE(bell, nullptr);
    EXPECT_EQ(bell->samples, render_tone(783.99, 0.2, 1.0));
    EXPECT_EQ(control.suspend_bits.load(), 0);
    EXPECT_EQ(sound_queue.wait_marker.load(), -1);
}
