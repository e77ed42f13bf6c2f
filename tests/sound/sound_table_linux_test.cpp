#include "runtime/sound/sound_table.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <climits>

#include "audio_fixture.h"
#include "runtime/core/statement.h"
#include "runtime/sound/tone.h"

using SoundTable = AudioDeviceTest;

TEST_F(SoundTable, OpeningTheDeviceQueuesAboutAThirdOfASecondOfSilence) {
    const SoundSlot& lead = sound_table[0];
    EXPECT_EQ(lead.handle.load(), 2);
    ASSERT_EQ(lead.samples.size(), 32768u);
    for (uint8_t byte : lead.samples) ASSERT_EQ(byte, 0);
    EXPECT_NEAR(lead.length_s, 0.3715, 0.0001);
    EXPECT_EQ(queued_sound_count(), 1);
    EXPECT_EQ(sound_queue.handles[0].load(), 2);
    // Opening again does nothing.
    open_audio();
    EXPECT_EQ(queued_sound_count(), 1);
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(frequency, 22050);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(Mix_AllocateChannels(-1), 256);
}

TEST_F(SoundTable, SoundsTakeTheLowestFreeSlotAndTheNextHandle) {
    std::vector<uint8_t> tone = render_tone(440, 0.1, 1.0);
    const uint8_t* bytes = tone.data();
    int32_t first = make_sound(std::move(tone));
    int32_t second = make_sound(std::vector<uint8_t>(8, 0));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(second, 4);
    EXPECT_EQ(find_sound_slot(first), 1);
    EXPECT_EQ(find_sound_slot(second), 2);
    const SoundSlot& slot = sound_table[1];
    // The chunk plays the slot's own bytes; nothing was copied.
    EXPECT_EQ(slot.chunk->abuf, bytes);
    EXPECT_EQ(slot.chunk->alen, 8620u);
    EXPECT_DOUBLE_EQ(slot.length_s, 8620 / 22050.0 / 4);
    EXPECT_EQ(slot.raw, 1);
    EXPECT_EQ(slot.closed.load(), 0);
    EXPECT_EQ(Mix_Volume(1, -1), 128);
    release_sound(first);
    EXPECT_EQ(find_sound_slot(first), -1);
    EXPECT_EQ(make_sound(std::vector<uint8_t>(4, 0)), 5);
    EXPECT_EQ(find_sound_slot(5), 1);
}

TEST_F(SoundTable, FullTableMakesNoSoundAndRaisesNoError) {
    int made = 0;
    while (make_sound(std::vector<uint8_t>(4, 0)) != 0) ++made;
    EXPECT_EQ(made, 255);  // the lead silence holds the first slot
    for (const SoundSlot& slot : sound_table) EXPECT_NE(slot.handle.load(), 0);
    EXPECT_EQ(make_sound(std::vector<uint8_t>(4, 0)), 0);
    EXPECT_EQ(control.pending_error.load(), 0);
}

TEST_F(SoundTable, HandleCounterRunsThroughNegativesAndSkipsZeroAndOne) {
    sound_table_state.next_handle = INT32_MAX;
    EXPECT_EQ(make_sound(std::vector<uint8_t>(4, 0)), INT32_MAX);
    EXPECT_EQ(make_sound(std::vector<uint8_t>(4, 0)), INT32_MIN);
    sound_table_state.next_handle = -1;
    EXPECT_EQ(make_sound(std::vector<uint8_t>(4, 0)), -1);
    EXPECT_EQ(make_sound(std::vector<uint8_t>(4, 0)), 2);
}

TEST_F(SoundTable, UnknownOrClosedHandlesRaiseError5) {
    start_sound(12345);
    EXPECT_EQ(control.pending_error.load(), 5);
    reset_runtime_control();
    EXPECT_EQ(sound_is_playing(12345), 0);
    EXPECT_EQ(control.pending_error.load(), 5);
    reset_runtime_control();
    close_sound(12345);
    EXPECT_EQ(control.pending_error.load(), 5);
    reset_runtime_control();
    // Starting handle 0 is no sound and no error.
    start_sound(0);
    EXPECT_EQ(control.pending_error.load(), 0);
}

TEST_F(SoundTable, NothingStartsWhileAnErrorIsPending) {
    int32_t handle = make_sound(render_tone(440, 0.2, 1.0));
    raise_error(6);
    start_sound(handle);
    EXPECT_EQ(slot_of(handle)->playing, 0);
    EXPECT_EQ(Mix_Playing(find_sound_slot(handle)), 0);
    EXPECT_EQ(control.pending_error.load(), 6);
}

TEST_F(SoundTable, ClosedSoundIsFreedOnlyOnceItHasStopped) {
    int32_t handle = make_sound(render_tone(440, 0.3, 1.0));
    int index = find_sound_slot(handle);
    start_sound(handle);
    EXPECT_EQ(sound_is_playing(handle), -1);
    EXPECT_EQ(Mix_Playing(index), 1);
    close_sound(handle);
    EXPECT_EQ(sound_table[index].handle.load(), handle);
    EXPECT_EQ(sound_table[index].closed.load(), 1);
    // Closing it again is an error: it is closed already.
    close_sound(handle);
    EXPECT_EQ(control.pending_error.load(), 5);
    reset_runtime_control();
    uint32_t start = SDL_GetTicks();
    while (sound_table[index].handle.load() != 0 && SDL_GetTicks() - start < 2000) {
        collect_sounds();
        SDL_Delay(5);
    }
    EXPECT_EQ(sound_table[index].handle.load(), 0);
    EXPECT_GE(SDL_GetTicks() - start, 100u);  // the mixer runs up to a few chunks ahead of the clock
    EXPECT_TRUE(sound_table[index].samples.empty());
    EXPECT_EQ(sound_table[index].chunk, nullptr);
}
