#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it:
#
#     scripts/play.sh
#
# The build goes to build/play (release, no tests or benchmarks, so it needs
# only SDL and the compilers). Without a display it says how to run the game
# under a virtual one; without a sound device it plays silently.
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++
cmake -S . -B build/play -G Ninja -DCMAKE_BUILD_TYPE=Release -DTZ_TESTS=OFF -DTZ_BENCH=OFF >/dev/null
cmake --build build/play --target tommy-zappo -- -j2

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
    cat >&2 <<'TEXT'
There is no display here (DISPLAY is not set), so the game's window cannot open.
Run it on a virtual X display instead:

    scripts/install-deps.sh xvfb
    xvfb-run -a -s "-screen 0 1024x768x24" scripts/play.sh

(Nobody sees that window; to watch, run scripts/play.sh on a desktop, or over
ssh -X from one.)
TEXT
    exit 1
fi

# No sound card and no sound server: SDL could not open audio, so play silently.
if [ -z "${SDL_AUDIODRIVER:-}" ] && ! ls /dev/snd/pcm* >/dev/null 2>&1 &&
    [ -z "${PULSE_SERVER:-}" ] && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ]; then
    echo "No sound device found: playing without sound (SDL_AUDIODRIVER=dummy)." >&2
    export SDL_AUDIODRIVER=dummy
fi

exec build/play/tommy-zappo "$@"
