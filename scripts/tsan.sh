#!/usr/bin/env bash
# The whole test suite under ThreadSanitizer:
#
#     scripts/tsan.sh
#
# Installs what is missing (Debian 12), builds the tsan preset into
# build/tsan and runs every test there (the test preset sets TSAN_OPTIONS
# with tests/tsan.supp, the one permitted suppression). A race reported in a
# child process or in the game started on a virtual display fails its test
# too. Ends with one line: "tsan: N passed, N failed (M min S s)".
set -u
cd "$(dirname "$0")/.."
start=$SECONDS

scripts/install-deps.sh libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ \
    libgtest-dev libbenchmark-dev xvfb xdotool libxdo-dev x11-utils imagemagick || { echo "tsan: could not install the build dependencies"; exit 1; }
mkdir -p build
if ! { cmake --preset tsan && cmake --build --preset tsan; } >build/tsan-build.log 2>&1; then
    tail -40 build/tsan-build.log
    echo "tsan: build failed"
    exit 1
fi

log=build/tsan/ctest.log
ctest --preset tsan >"$log" 2>&1
grep -E '\*\*\*|Failed|Not Run' "$log" | grep -E '^\s*[0-9]+/[0-9]+ Test' || true
line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
elapsed=$((SECONDS - start))
if [ -z "$line" ]; then
    echo "tsan: the tests did not run (see $log) ($((elapsed / 60)) min $((elapsed % 60)) s)"
    exit 1
fi
failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
echo "tsan: $((total - failed)) passed, $failed failed ($((elapsed / 60)) min $((elapsed % 60)) s)"
[ "$failed" -eq 0 ]
