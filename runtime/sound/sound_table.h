// The audio device and the table of loaded sounds.
//
// Slot i of the table always plays on mixer channel i. A sound lives from
// make_sound until the queue closes it after it has played; its slot owns the
// sample bytes the mixer chunk plays.
//
// Threads: the program thread opens the device and makes sounds in free slots
// (handle 0) and publishes each by storing its handle last; the main thread
// starts, polls and closes them and frees a slot by storing handle 0 last.
// The mixer's own audio thread only reads chunks.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

struct Mix_Chunk;

constexpr int sound_slot_count = 256;

// Handle 0 means no sound; 1 belongs to the sound-file music stream.
constexpr int32_t first_sound_handle = 2;

struct SoundSlot {
    std::atomic<int32_t> handle{0};  // 0 = free
    Mix_Chunk* chunk = nullptr;      // wraps samples without copying them
    std::atomic<uint8_t> closed{0};  // freed once it has stopped; the main thread polls it
    uint8_t playing = 0;             // started, and the mixer has not yet reported it idle
    uint8_t paused = 0;              // sound-file statements only
    float left_volume = 1.0f;
    float right_volume = 1.0f;
    float position_x = 0, position_y = 0, position_z = 0;
    uint32_t start_time_ms = 0;
    uint32_t pause_time_ms = 0;      // sound-file statements only
    uint8_t looping = 0;
    int32_t play_limit_ms = 0;       // 0 = no limit
    double length_s = 0;
    uint8_t raw = 0;                 // made from a sample buffer
    std::vector<uint8_t> samples;
};

struct SoundTableState {
    int32_t next_handle = first_sound_handle;  // program thread only
    bool audio_open = false;                   // set before the device is opened
    bool close_at_exit_registered = false;
};

extern SoundSlot sound_table[sound_slot_count];
extern SoundTableState sound_table_state;

// Opens the device once per process, at the first sound: 22,050 Hz, signed
// 16-bit, stereo, 1,024-frame mixing chunks, 256 channels, and queues 32,768
// bytes (about 0.37 s) of silence ahead of everything the program plays.
// When the device cannot be opened the process ends with status 10001.
void open_audio();

// Closes the device and empties the table and the queue, so that a later
// open_audio starts afresh (tests that open the device in their own process).
void close_audio();

// Program thread: wraps samples as a sound in the lowest free slot and
// returns its handle; 0 (and the samples released) when all 256 slots are
// occupied. Raises no error.
int32_t make_sound(std::vector<uint8_t> samples);

// Program thread: frees a sound that was never queued (the queue was full).
void release_sound(int32_t handle);

// Main thread. A handle in no slot, or one already closed, raises error 5.
void start_sound(int32_t handle);            // plays it once on its own channel
int32_t sound_is_playing(int32_t handle);    // -1 while it plays, else 0
void close_sound(int32_t handle);            // closes it; freed once stopped
void collect_sounds();                       // frees every closed sound that has stopped

// The slot holding handle, or -1.
int find_sound_slot(int32_t handle);
