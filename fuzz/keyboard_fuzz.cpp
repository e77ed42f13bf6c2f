// Any sequence of key events, lock changes and INKEY$ calls keeps the BIOS
// ring sound: head and tail on even slots inside it, at most 15 keys, every
// key read back in the order stored, and the held-key list without twins.
#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "runtime/core/emulated_memory.h"
#include "runtime/core/events.h"
#include "runtime/core/runtime_control.h"
#include "runtime/input/keyboard.h"
#include "runtime/platform/system.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void check_ring() {
    for (uint32_t offset : {key_buffer_head_offset, key_buffer_tail_offset}) {
        uint8_t slot = emulated_memory[offset];
        check(slot >= key_buffer_first && slot < key_buffer_end && slot % 2 == 0);
    }
    check(keyboard_buffer_count() <= key_buffer_capacity);
    std::vector<uint32_t> codes = keyboard.held.held_codes;
    std::sort(codes.begin(), codes.end());
    check(std::adjacent_find(codes.begin(), codes.end()) == codes.end());
    check(keyboard.held.held_codes.size() == keyboard.held.held_syms.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    clear_emulated_memory();
    reset_runtime_control();
    reset_event_tables();
    reset_keyboard_state();
    set_os_scroll_lock(false);
    fill_on_key_defaults();
    empty_keyboard_buffer();
    if (size > 0 && (data[0] & 1)) {
        // Live handlers and a soft key, so that ON KEY's paths run too.
        event_tables.key[11] = EventTrap{1, 1, 0};
        keyboard.on_key[2].soft_key = "dir\r";
    }
    for (size_t i = 0; i + 5 <= size; i += 5) {
        uint8_t action = data[i] % 8;
        uint32_t sym = (data[i + 1] | (data[i + 2] << 8)) % 330;
        uint32_t unicode = data[i + 3] | (data[i + 4] << 8);
        SDL_KeyboardEvent event{};
        event.keysym.sym = static_cast<SDLKey>(sym);
        event.keysym.unicode = static_cast<Uint16>(unicode);
        switch (action) {
        case 0:
        case 1:
        case 2:
            event.type = SDL_KEYDOWN;
            keyboard_event(event);
            break;
        case 3:
        case 4:
            event.type = SDL_KEYUP;
            keyboard_event(event);
            break;
        case 5: {
            uint8_t bytes[2];
            int before = keyboard_buffer_count();
            int length = inkey_bytes(bytes);
            check((length == 0) == (before == 0));
            break;
        }
        case 6:
            set_os_scroll_lock((unicode & 1) != 0);
            sync_lock_keys();
            break;
        default:
            control.suspend_bits = 0;  // the program thread would have been paused here
            break;
        }
        check_ring();
    }
    return 0;
}
