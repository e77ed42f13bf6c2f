#!/usr/bin/env bash
# The project's one test command: installs what is missing (Debian 12),
# builds and runs the whole test suite in the normal build and under
# AddressSanitizer + UndefinedBehaviorSanitizer, runs the normal build's suite
# again on sdl12-compat (the SDL 1.2 built on SDL 2 that current
# distributions ship), runs the fuzzers for a bounded time, and ends with one
# summary line.
set -u
cd "$(dirname "$0")/.."

packages=(libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ clang
          libgtest-dev libbenchmark-dev xvfb xdotool libxdo-dev x11-utils x11-xkb-utils imagemagick
          weston)
scripts/install-deps.sh "${packages[@]}" || { echo "could not install the build dependencies"; exit 1; }

passed=0
failed=0
failures=()

# Adds the counts of ctest's summary in log to the totals under name.
count_results() {
    local name=$1 log=$2
    local line total fails
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        failures+=("$name tests did not run")
        failed=$((failed + 1))
        return
    fi
    fails=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
    passed=$((passed + total - fails))
    failed=$((failed + fails))
    [ "$fails" -eq 0 ] || failures+=("$name: $fails failing tests")
}

# Runs one preset's build and tests; adds ctest's counts to the totals.
run_preset() {
    local preset=$1
    echo "=== $preset: configure and build"
    if ! cmake --preset "$preset" >"build/$preset-build.log" 2>&1 || ! cmake --build --preset "$preset" >>"build/$preset-build.log" 2>&1; then
        tail -50 "build/$preset-build.log"
        failures+=("$preset build")
        failed=$((failed + 1))
        return
    fi
    echo "=== $preset: tests"
    local log="build/$preset/ctest.log"
    ctest --preset "$preset" 2>&1 | tee "$log" | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
    count_results "$preset" "$log"
}

# The normal build's suite once more, with Debian 12's sdl12-compat in place
# of the original SDL 1.2: the package is unpacked into the build folder (the
# system's own SDL stays as it is) and found through LD_LIBRARY_PATH, which
# every program the tests start inherits. No second build: the library keeps
# the original's interface.
run_on_sdl12_compat() {
    echo "=== default on sdl12-compat"
    local library
    if ! library=$(scripts/sdl12-compat.sh); then
        failures+=("sdl12-compat could not be unpacked")
        failed=$((failed + 1))
        return
    fi
    if [ ! -e build/default/CTestTestfile.cmake ]; then
        failures+=("sdl12-compat: the default build is missing")
        failed=$((failed + 1))
        return
    fi
    local log=build/default/ctest-sdl12-compat.log
    LD_LIBRARY_PATH="$library${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" ctest --preset default -E '^Autopilot\.' 2>&1 | tee "$log" |
        grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
    # A test that cannot hold on SDL 2 says why in its skip message.
    awk '/: Skipped$/ { getline reason; next_reason = reason }
         /^\[  SKIPPED \] [^ ]+ \(/ && next_reason != "" { print "skipped: " $4 ": " next_reason; next_reason = "" }' \
        build/default/Testing/Temporary/LastTest.log 2>/dev/null | sort -u || true
    count_results "default on sdl12-compat" "$log"
    # The autopilot plays the real game against its clock and reads the
    # window as it goes: it runs alone, after the rest.
    local autopilot_log=build/default/ctest-sdl12-compat-autopilot.log
    LD_LIBRARY_PATH="$library${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" ctest --preset default -R '^Autopilot\.' -j1 2>&1 |
        tee "$autopilot_log" | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
    count_results "autopilot on sdl12-compat" "$autopilot_log"
}

mkdir -p build
run_preset default
run_preset asan
run_on_sdl12_compat

if [ -x scripts/fuzz.sh ]; then
    echo "=== fuzzers"
    if scripts/fuzz.sh 30; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("fuzzers"); fi
fi

echo
for failure in "${failures[@]+"${failures[@]}"}"; do echo "FAILED: $failure"; done
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
