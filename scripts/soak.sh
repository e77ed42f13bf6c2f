#!/usr/bin/env bash
# A long session of the real game, replayed from the menu over and over
# (practice level 1, a walk, Q or a death, game over, title, menu):
#
#     scripts/soak.sh [seconds]        default 600
#
# Runs tests/soak/soak.cpp (the game's own main routine in a process that
# measures itself) headless on SDL's dummy video and audio drivers and prints
# a table of minute, VmHWM, VmRSS and the most sound-table slots in use. Fails
# when the peak memory grows after the first minute beyond a small tolerance,
# when the sound table fills, or when the game stops coming back to its menu.
# Runs shorter than 3 minutes print a row every 10 s instead of every minute.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-600}
row_seconds=60
[ "$seconds" -lt 180 ] && row_seconds=10

scripts/install-deps.sh libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ \
    libgtest-dev libbenchmark-dev libxdo-dev || exit 1
mkdir -p build
{ cmake --preset default && cmake --build --preset default --target soak; } >build/soak-build.log 2>&1 ||
    { tail -30 build/soak-build.log; exit 1; }

output=$(mktemp)
trap 'rm -f "$output"' EXIT
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout $((seconds + 300)) build/default/tests/soak "$seconds" "$row_seconds" | tee "$output"
status=${PIPESTATUS[0]}
grep -q '^verdict: ok' "$output" && [ "$status" -eq 0 ] && exit 0
echo "soak: FAILED (exit status $status)"
exit 1
