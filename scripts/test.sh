#!/usr/bin/env bash
# The project's one test command: installs what is missing (Debian 12),
# builds and runs the whole test suite in the normal build and under
# AddressSanitizer + UndefinedBehaviorSanitizer, runs the fuzzers for a
# bounded time, and ends with one summary line.
set -u
cd "$(dirname "$0")/.."

packages=(libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ clang
          libgtest-dev libbenchmark-dev xvfb xdotool libxdo-dev x11-utils imagemagick)
scripts/install-deps.sh "${packages[@]}" || { echo "could not install the build dependencies"; exit 1; }

passed=0
failed=0
failures=()

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
    local line total fails
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        failures+=("$preset tests did not run")
        failed=$((failed + 1))
        return
    fi
    fails=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
    passed=$((passed + total - fails))
    failed=$((failed + fails))
    [ "$fails" -eq 0 ] || failures+=("$preset: $fails failing tests")
}

mkdir -p build
run_preset default
run_preset asan

if [ -x scripts/fuzz.sh ]; then
    echo "=== fuzzers"
    if scripts/fuzz.sh 30; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("fuzzers"); fi
fi

echo
for failure in "${failures[@]+"${failures[@]}"}"; do echo "FAILED: $failure"; done
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
