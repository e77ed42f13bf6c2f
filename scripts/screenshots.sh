#!/usr/bin/env bash
# The README's screenshots, from real runs on a virtual X display:
#
#     scripts/screenshots.sh
#
# The autopilot plays the real game and keeps the title screen and level 1;
# the ending comes from the end-to-end test that runs the ending sequence in
# a real window. All three land in docs/ as PNG files, doubled in size.
set -u
cd "$(dirname "$0")/.."
scripts/install-deps.sh libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ \
    libgtest-dev libbenchmark-dev xvfb xdotool libxdo-dev x11-utils imagemagick || exit 1
cmake --preset default >/dev/null && cmake --build --preset default >/dev/null || { echo "build failed"; exit 1; }

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
build/default/autopilot/autopilot --levels 1-1 --shots "$shots" >/dev/null ||
    echo "the autopilot did not finish level 1; keeping what it saw"
TZ_SCREENSHOT_DIR="$shots" build/default/tests/game_tests \
    --gtest_filter='EndingWindow.RebootTextIn640x480ThenCaptureTheEndAndTheMedalOnTheTitle' >/dev/null ||
    echo "the ending test failed; keeping what it saw"
mkdir -p docs
made=0
for name in title level ending; do
    if [ -f "$shots/$name.ppm" ]; then
        convert "$shots/$name.ppm" -scale 200% "docs/screenshot-$name.png" && made=$((made + 1))
        echo "docs/screenshot-$name.png"
    else
        echo "no screenshot of the $name"
    fi
done
[ "$made" -eq 3 ]
