// In a runtime child: INKEY$ in statements until a key arrives or the time is
// up; the key as hex bytes ("0048" for the up arrow), empty when none came.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <string>

#include "runtime/core/statement.h"
#include "runtime/core/strings.h"
#include "runtime/input/key_buffer.h"

inline std::string read_key_hex(Uint32 wait_ms = 2000) {
    std::string hex;
    Uint32 start = SDL_GetTicks();
    while (hex.empty() && SDL_GetTicks() - start < wait_ms) {
        statement(100, [&] {
            for (unsigned char byte : string_text(inkey())) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02x", byte);
                hex += digits;
            }
        });
        if (hex.empty()) SDL_Delay(1);
    }
    return hex;
}
