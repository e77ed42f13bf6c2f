#include "runtime/sound/sound_table.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>

#include "runtime/core/threads.h"
#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/sound/sound_queue.h"
#include "runtime/sound/tone.h"

SoundSlot sound_table[sound_slot_count];
SoundTableState sound_table_state;

namespace {

constexpr int mixing_chunk_frames = 1024;
constexpr int32_t lead_silence_bytes = 32768;
constexpr int full_channel_volume = 128;
constexpr int exit_status_no_audio = 10001;

void clear_slot(SoundSlot& slot) {
    slot.chunk = nullptr;
    slot.closed = 0;
    slot.playing = 0;
    slot.paused = 0;
    slot.left_volume = 1.0f;
    slot.right_volume = 1.0f;
    slot.position_x = slot.position_y = slot.position_z = 0;
    slot.start_time_ms = 0;
    slot.pause_time_ms = 0;
    slot.looping = 0;
    slot.play_limit_ms = 0;
    slot.length_s = 0;
    slot.raw = 0;
    std::vector<uint8_t>().swap(slot.samples);
}

// The chunk from Mix_QuickLoad_RAW does not own its samples (its allocated
// flag is 0), so Mix_FreeChunk frees only the record and the slot frees the
// bytes itself. Freeing the chunk also halts a channel still playing it.
void free_slot(SoundSlot& slot) {
    if (slot.chunk) Mix_FreeChunk(slot.chunk);
    slot.chunk = nullptr;
    std::vector<uint8_t>().swap(slot.samples);
    slot.handle.store(0, std::memory_order_release);
}

// The device cannot be opened: the process ends with its own status through
// the ordinary shutdown when the threads run, at once otherwise.
[[noreturn]] void end_without_audio() {
    control.exit_code = exit_status_no_audio;
    if (on_program_thread()) {
        control.stop_request = 1;
        stop_program_thread();
    }
    end_process_now();
}

void refresh_playing(int index) {
    SoundSlot& slot = sound_table[index];
    if (slot.playing && !slot.looping && Mix_Playing(index) == 0) slot.playing = 0;
}

// The slot of a handle that a main-thread operation may use; raises error 5
// for a handle in no slot or a closed one.
int usable_slot(int32_t handle) {
    int index = find_sound_slot(handle);
    if (index < 0 || sound_table[index].closed) {
        raise_error(5);
        return -1;
    }
    return index;
}

}  // namespace

int find_sound_slot(int32_t handle) {
    if (handle == 0) return -1;
    for (int i = 0; i < sound_slot_count; ++i)
        if (sound_table[i].handle.load(std::memory_order_acquire) == handle) return i;
    return -1;
}

void open_audio() {
    if (sound_table_state.audio_open) return;
    // Set first: make_sound below calls open_audio again.
    sound_table_state.audio_open = true;
    if (Mix_OpenAudio(audio_rate_hz, AUDIO_S16LSB, audio_channels, mixing_chunk_frames) < 0) end_without_audio();
    if (!sound_table_state.close_at_exit_registered) {
        sound_table_state.close_at_exit_registered = true;
        std::atexit(Mix_CloseAudio);
    }
    Mix_AllocateChannels(sound_slot_count);
    int32_t lead = make_sound(std::vector<uint8_t>(lead_silence_bytes, 0));
    if (lead != 0) queue_sound(lead);
}

void close_audio() {
    if (!sound_table_state.audio_open) return;
    for (SoundSlot& slot : sound_table)
        if (slot.handle.load() != 0) free_slot(slot);
    reset_sound_queue();
    Mix_CloseAudio();
    sound_table_state.audio_open = false;
    sound_table_state.next_handle = first_sound_handle;
}

int32_t make_sound(std::vector<uint8_t> samples) {
    open_audio();
    int index = -1;
    for (int i = 0; i < sound_slot_count && index < 0; ++i)
        if (sound_table[i].handle.load(std::memory_order_acquire) == 0) index = i;
    if (index < 0) return 0;
    SoundSlot& slot = sound_table[index];
    clear_slot(slot);
    Mix_Volume(index, full_channel_volume);
    slot.samples = std::move(samples);
    slot.chunk = Mix_QuickLoad_RAW(slot.samples.data(), static_cast<Uint32>(slot.samples.size()));
    if (!slot.chunk) {
        clear_slot(slot);
        return 0;
    }
    slot.length_s = slot.chunk->alen / static_cast<double>(audio_rate_hz) / 2 / 2;
    slot.raw = 1;
    int32_t handle = sound_table_state.next_handle;
    // Counting in unsigned arithmetic runs through the negative handles and
    // back to 0, which is skipped together with the reserved 1.
    sound_table_state.next_handle = static_cast<int32_t>(static_cast<uint32_t>(handle) + 1u);
    if (sound_table_state.next_handle == 0) sound_table_state.next_handle = first_sound_handle;
    slot.handle.store(handle, std::memory_order_release);
    return handle;
}

void release_sound(int32_t handle) {
    int index = find_sound_slot(handle);
    if (index >= 0) free_slot(sound_table[index]);
}

void start_sound(int32_t handle) {
    if (error_pending() || handle == 0) return;
    int index = usable_slot(handle);
    if (index < 0) return;
    SoundSlot& slot = sound_table[index];
    Mix_PlayChannelTimed(index, slot.chunk, 0, -1);
    slot.start_time_ms = SDL_GetTicks();
    slot.playing = 1;
}

int32_t sound_is_playing(int32_t handle) {
    int index = usable_slot(handle);
    if (index < 0) return 0;
    refresh_playing(index);
    const SoundSlot& slot = sound_table[index];
    if (slot.paused) return 0;
    return slot.playing ? -1 : 0;
}

void close_sound(int32_t handle) {
    int index = usable_slot(handle);
    if (index < 0) return;
    sound_table[index].closed = 1;
    collect_sounds();
}

// Every chunk here belongs to exactly one slot (no statement of this runtime
// shares one), so freeing a closed sound never takes a chunk from another.
void collect_sounds() {
    for (int i = 0; i < sound_slot_count; ++i) {
        SoundSlot& slot = sound_table[i];
        if (slot.handle.load(std::memory_order_acquire) == 0 || !slot.closed) continue;
        refresh_playing(i);
        if (!slot.playing) free_slot(slot);
    }
}
