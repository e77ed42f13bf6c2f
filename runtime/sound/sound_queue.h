// The sound queue: sounds play strictly one after another, in the order the
// program queued them, started by the main thread's loop.
//
// | who            | writes                                                  |
// |----------------|---------------------------------------------------------|
// | program thread | ring entries, queue_write, wait_marker, sets bit 1 of   |
// |                | suspend_bits                                            |
// | main thread    | queue_read, queue_started, clears bit 1 of suspend_bits |
//
// A statement that must wait for its music queues a wait marker: the program
// thread sleeps in statement_step until the main thread starts that sound,
// that is, until everything queued before it has played.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int32_t sound_queue_capacity = 10000;

struct SoundQueue {
    std::atomic<int32_t> handles[sound_queue_capacity]{};
    std::atomic<int32_t> queue_write{0};  // next position the program thread fills
    std::atomic<int32_t> queue_read{0};   // next position the main thread starts
    int32_t queue_started = 0;            // main thread: the first sound was started
    std::atomic<int32_t> wait_marker{-1}; // position whose start releases the program
};

extern SoundQueue sound_queue;

void reset_sound_queue();

// Sounds queued and not yet started.
int32_t queued_sound_count();

// Program thread: appends handle to the queue. When 9,999 sounds are already
// outstanding the ring has no room that the main thread is not still using,
// so the sound is released instead and false returned.
bool queue_sound(int32_t handle);

// Program thread: as queue_sound, and the program waits (in statement_step)
// until the main thread starts this sound.
bool queue_sound_and_wait(int32_t handle);

// Main thread, every loop iteration: starts the next queued sound once the
// one before it has finished.
void sound_queue_step();

// SOUND frequency, duration: a tone of duration clock ticks (18.2 per
// second); frequency 0 is silence. The program waits until the tone starts.
// Frequency must be 0 or 37..32,767 and duration 0..65,535, else error 5.
void tone_statement(double frequency_hz, double duration_ticks);

// BEEP, and the bell character of PRINT: 0.2 s at 783.99 Hz, not waited
// for; the calling thread then sleeps 250 ms.
void beep();
