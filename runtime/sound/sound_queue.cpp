#include "runtime/sound/sound_queue.h"

#include "runtime/core/runtime_control.h"
#include "runtime/core/statement.h"
#include "runtime/core/threads.h"
#include "runtime/core/timer.h"
#include "runtime/platform/system.h"
#include "runtime/sound/sound_table.h"
#include "runtime/sound/tone.h"

SoundQueue sound_queue;

namespace {

constexpr double bell_frequency_hz = 783.99;
constexpr double bell_length_s = 0.2;
constexpr uint32_t bell_pause_ms = 250;

int32_t next_position(int32_t position) { return position + 1 == sound_queue_capacity ? 0 : position + 1; }

int32_t previous_position(int32_t position) { return position == 0 ? sound_queue_capacity - 1 : position - 1; }

// Outstanding sounds may fill all but one entry of the ring: the entry just
// behind queue_read still holds the sound that is playing, which the main
// thread polls and closes.
bool queue_has_room() { return queued_sound_count() < sound_queue_capacity - 1; }

void append(int32_t handle) {
    int32_t position = sound_queue.queue_write.load(std::memory_order_relaxed);
    sound_queue.handles[position].store(handle, std::memory_order_relaxed);
    sound_queue.queue_write.store(next_position(position), std::memory_order_release);
    wake_main_loop();
}

// Starts the sound at queue_read, releasing the program first when it waits
// for exactly this position.
void start_next(int32_t read) {
    if (read == sound_queue.wait_marker.load(std::memory_order_acquire)) {
        // The program set the bit together with the marker; clearing (not
        // toggling) it cannot leave the program held for good.
        clear_suspend_bit(suspend_music);
        sound_queue.wait_marker.store(-1, std::memory_order_release);
    }
    start_sound(sound_queue.handles[read].load(std::memory_order_relaxed));
    sound_queue.queue_read.store(next_position(read), std::memory_order_release);
}

}  // namespace

void reset_sound_queue() {
    for (auto& handle : sound_queue.handles) handle.store(0, std::memory_order_relaxed);
    sound_queue.queue_write = 0;
    sound_queue.queue_read = 0;
    sound_queue.queue_started = 0;
    sound_queue.wait_marker = -1;
}

int32_t queued_sound_count() {
    int32_t outstanding = sound_queue.queue_write.load(std::memory_order_acquire) -
                          sound_queue.queue_read.load(std::memory_order_acquire);
    return outstanding < 0 ? outstanding + sound_queue_capacity : outstanding;
}

bool queue_sound(int32_t handle) {
    if (!queue_has_room()) {
        release_sound(handle);
        return false;
    }
    append(handle);
    return true;
}

bool queue_sound_and_wait(int32_t handle) {
    if (!queue_has_room()) {
        release_sound(handle);
        return false;
    }
    // The marker is in place before the handle becomes visible, so the main
    // thread cannot start this position without releasing the program.
    sound_queue.wait_marker.store(sound_queue.queue_write.load(std::memory_order_relaxed), std::memory_order_release);
    set_suspend_bit(suspend_music);
    control.attention_flag = 1;
    append(handle);
    return true;
}

void sound_queue_step() {
    int32_t read = sound_queue.queue_read.load(std::memory_order_relaxed);
    if (read == sound_queue.queue_write.load(std::memory_order_acquire)) return;
    if (sound_queue.queue_started == 0) {
        sound_queue.queue_started = 1;
        start_next(read);
        return;
    }
    int32_t previous = sound_queue.handles[previous_position(read)].load(std::memory_order_relaxed);
    if (sound_is_playing(previous) != 0) return;
    close_sound(previous);
    start_next(read);
}

void tone_statement(double frequency_hz, double duration_ticks) {
    if (error_pending()) return;
    bool frequency_ok = frequency_hz == 0 || (frequency_hz >= 37 && frequency_hz <= 32767);
    bool duration_ok = duration_ticks >= 0 && duration_ticks <= 65535;
    if (!frequency_ok || !duration_ok) {
        raise_error(5);
        return;
    }
    if (duration_ticks == 0) return;
    int32_t handle = make_sound(render_tone(frequency_hz, duration_ticks / ticks_per_second, 1.0));
    if (handle != 0) queue_sound_and_wait(handle);
}

void beep() {
    if (error_pending()) return;
    int32_t handle = make_sound(render_tone(bell_frequency_hz, bell_length_s, 1.0));
    if (handle != 0) queue_sound(handle);
    sleep_ms(bell_pause_ms);
}
