// The flag record through which the program thread, the main thread and the
// timer-event thread coordinate. There are no locks between the threads: one
// side sets a field, the other polls it with short sleeps. Handshake fields use
// 0 (idle), 1 (requested) and 2 (granted).
#pragma once

#include <atomic>
#include <cstdint>

struct SDL_Thread;

struct RuntimeControl {
    std::atomic<int32_t> pending_error{0};      // error code waiting for statement_step
    std::atomic<int32_t> attention_flag{0};     // the program thread must call statement_step
    std::atomic<int32_t> retry_flag{0};         // run the current statement again
    std::atomic<uint8_t> suspend_bits{0};       // bit 0 paused, bit 1 foreground tune playing, bit 2 page hidden
    std::atomic<uint8_t> exit_flag{0};          // shutdown has begun; never cleared
    std::atomic<uint8_t> stop_request{0};       // asks the main thread to shut down
    std::atomic<int32_t> stopped_bits{0};       // bit 0 program thread, bit 1 timer-event thread
    std::atomic<int32_t> exit_handling_enabled{0};
    std::atomic<int32_t> exit_request_bits{0};  // bit 0 window close, bit 1 Ctrl+Break
    std::atomic<int32_t> autodisplay{1};        // 1 present every other iteration, 0 on request, -1 once
    std::atomic<int32_t> main_loop_park{0};
    std::atomic<int32_t> presentation_freeze{0};
    std::atomic<int32_t> threads_started{0};
    std::atomic<int32_t> timer_thread_park{0};
    std::atomic<int32_t> shell_state{0};
    std::atomic<int32_t> key_repeat_enabled{0};
    std::atomic<int32_t> retrace_flags[2]{0, 0};
    std::atomic<int32_t> exit_code{0};
    std::atomic<SDL_Thread*> program_thread{nullptr};
    std::atomic<SDL_Thread*> timer_thread{nullptr};
    std::atomic<uint32_t> ticks_base{0};        // SDL_GetTicks() when the time base was taken
    std::atomic<uint32_t> ms_of_day_base{0};    // local time of day at that moment, in ms
};

extern RuntimeControl control;

// Puts every field back to its start value (tests run many runtimes in one process).
void reset_runtime_control();

// Indivisible changes of suspend_bits, which both threads write.
inline void set_suspend_bit(uint8_t bit) { control.suspend_bits.fetch_or(bit); }
inline void clear_suspend_bit(uint8_t bit) { control.suspend_bits.fetch_and(static_cast<uint8_t>(~bit)); }

constexpr uint8_t suspend_paused = 1;
constexpr uint8_t suspend_music = 2;
constexpr uint8_t suspend_hidden = 4;  // the page is hidden (web)
