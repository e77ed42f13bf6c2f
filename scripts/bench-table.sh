#!/usr/bin/env bash
# The README's benchmark table in one command: installs what is missing
# (Debian 12), builds the default preset, runs every benchmark, prints the
# table and writes it into README.md between its benchmark markers.
#
#     scripts/bench-table.sh                      # every benchmark, README rewritten
#                                                 # (the closes on sdl12-compat too)
#     scripts/bench-table.sh --benchmark_filter=Paint   # a part: printed only
#
# Options are passed to the benchmark program; a run given any option is
# partial or unusual, so it leaves README.md as it is. The JSON stays in
# build/default/bench/results.json.
set -u
cd "$(dirname "$0")/.."

# The start-up benchmark opens the game's window on its own Xvfb display.
packages=(libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++
          libbenchmark-dev libgtest-dev python3 xvfb xdotool libxdo-dev)
scripts/install-deps.sh "${packages[@]}" || { echo "could not install the build dependencies"; exit 1; }

mkdir -p build
echo "=== build (default preset)"
if ! cmake --preset default >build/default-build.log 2>&1 || ! cmake --build --preset default >>build/default-build.log 2>&1; then
    tail -50 build/default-build.log
    exit 1
fi

results=build/default/bench/results.json
echo "=== benchmarks (about two minutes)"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy build/default/bench/benchmarks \
    --benchmark_out="$results" --benchmark_out_format=json "$@" || { echo "the benchmarks failed"; exit 1; }
# A whole run measures the closes again with sdl12-compat in place of the
# original SDL 1.2 (the benchmark program and the game it starts both find
# it first): both sets of close-to-exit figures stand in the table.
all_results=("$results")
if [ $# -eq 0 ]; then
    compat_results=build/default/bench/results-sdl12-compat.json
    echo "=== close-to-exit benchmarks on sdl12-compat"
    if library=$(scripts/sdl12-compat.sh) &&
        LD_LIBRARY_PATH="$library" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy build/default/bench/benchmarks \
            --benchmark_filter='^CloseToExitOnSdl12Compat/' --benchmark_out="$compat_results" --benchmark_out_format=json; then
        all_results+=("$compat_results")
    else
        echo "the close-to-exit benchmarks on sdl12-compat failed"
        exit 1
    fi
fi
# A whole run measures the web build in headless Chromium too.
if [ $# -eq 0 ]; then
    web_results=build/web-bench.json
    echo "=== web build in headless Chromium"
    if scripts/install-deps.sh chromium chromium-driver python3-selenium && scripts/web.sh build >build/web-build.log 2>&1 &&
        /usr/bin/python3 bench/web_bench.py --json "$web_results"; then
        all_results+=("$web_results")
    else
        echo "the web benchmarks failed"
        exit 1
    fi
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg | sed 's/ /, /g')

echo
readme=(--readme README.md)
[ $# -eq 0 ] || readme=()
python3 tools/bench_table.py "${all_results[@]}" --load-after "$load_after" "${readme[@]+"${readme[@]}"}"
