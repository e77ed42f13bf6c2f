#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 30), starting from its seed corpus in fuzz/corpus/NAME
# when there is one. Fails when a target finds a crash or does not build; the
# input that crashed is kept as build/fuzz/NAME-crash-* (libFuzzer would
# otherwise write it into the working directory, the source tree).
set -u
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >build/fuzz-build.log 2>&1 && cmake --build --preset fuzz >>build/fuzz-build.log 2>&1 || { tail -40 build/fuzz-build.log; exit 1; }
status=0
for target in build/fuzz/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work="build/fuzz/corpus-$name"
    mkdir -p "$work"
    seeds=()
    [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
    max_len=$(cat "fuzz/$name.max_len" 2>/dev/null || echo 4096)
    echo "--- $name for ${seconds}s"
    if ! SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$target" -max_total_time="$seconds" -max_len="$max_len" \
            -print_final_stats=0 -artifact_prefix="build/fuzz/$name-" "$work" "${seeds[@]+"${seeds[@]}"}" >"build/fuzz/$name.log" 2>&1; then
        tail -40 "build/fuzz/$name.log"
        status=1
    fi
done
exit $status
