#!/usr/bin/env bash
# The autopilot's whole-game runs against the real game on a virtual X
# display:
#
#     scripts/autopilot.sh [easy|normal|hard ...]     (default: easy hard)
#
# Each run chooses 9 lives and the difficulty in the menu, plays from level 1
# through the ending back to the title (on Hard, the title must show the
# medal), and writes a line per level (time, steps, lives lost, time left,
# score) to build/autopilot-<difficulty>.log. A failed run keeps its last
# screenshot as build/autopilot-<difficulty>-failure.ppm.
set -u
cd "$(dirname "$0")/.."
scripts/install-deps.sh libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ \
    libgtest-dev libbenchmark-dev xvfb xdotool libxdo-dev x11-utils imagemagick || exit 1
cmake --preset default >/dev/null && cmake --build --preset default >/dev/null || { echo "build failed"; exit 1; }

difficulties=("$@")
[ ${#difficulties[@]} -gt 0 ] || difficulties=(easy hard)
status=0
for difficulty in "${difficulties[@]}"; do
    log="build/autopilot-$difficulty.log"
    : >"$log"
    echo "=== whole game, $difficulty, 9 lives"
    start=$(date +%s)
    if build/default/autopilot/autopilot --whole-game --difficulty "$difficulty" --lives 9 --log "$log" \
        --failure-shot "build/autopilot-$difficulty-failure.ppm" >/dev/null; then
        result=won
    else
        result=lost
        status=1
    fi
    grep -v '^ ' "$log" | grep -v '^last screen' | head -20
    echo "$difficulty: $result in $(( $(date +%s) - start )) s (log: $log)"
done
exit $status
