#!/usr/bin/env bash
# Leaks that grow with play time, looked for with valgrind's memcheck in the
# real executable on a virtual X display:
#
#     scripts/memcheck.sh [rounds]        default 4
#
# Plays a short session (one round: practice level 1 from the menu, a walk,
# Q, the game-over sequence, back to the menu) and a long one (the same round
# `rounds` times), each ended with the menu's F, both under
# `valgrind --leak-check=full`. Prints the "definitely lost" and "indirectly
# lost" bytes of both and fails when the long session loses more than the
# short one: a leak that play time makes grow. Losses that stay the same are
# one-off allocations; those of the X and SDL libraries are suppressed in
# tests/valgrind.supp. The logs stay in build/memcheck/.
set -u
cd "$(dirname "$0")/.."
rounds=${1:-4}

scripts/install-deps.sh valgrind xvfb xdotool imagemagick libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev \
    pkg-config cmake ninja-build g++ libgtest-dev libbenchmark-dev libxdo-dev || exit 1
{ cmake --preset default && cmake --build --preset default --target tommy-zappo screen_text; } >build/memcheck-build.log 2>&1 ||
    { tail -30 build/memcheck-build.log; exit 1; }

game=build/default/tommy-zappo
reader=build/default/tests/screen_text
out=build/memcheck
mkdir -p "$out"

server_pid=""
game_pid=""
stop_all() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    wait 2>/dev/null
}
trap stop_all EXIT

# Text of the window: 25 rows of 40 characters.
screen() { DISPLAY=$display import -window "$window" -depth 8 ppm:- 2>/dev/null | "$reader" 2>/dev/null; }
# Row $1 (1-based) of the window's text.
screen_row() { screen | sed -n "${1}p"; }
# Waits up to $2 seconds for the text $1 to appear anywhere on the screen.
wait_for_text() {
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        screen | grep -qF -- "$1" && return 0
        kill -0 "$game_pid" 2>/dev/null || return 1
        sleep 1
    done
    return 1
}
keys() { DISPLAY=$display xdotool windowfocus --sync "$window" key --delay 150 "$@" 2>/dev/null; }

# One session of $1 rounds under valgrind; leaves its log in $out/rounds-$1.log.
session() {
    local rounds=$1 log="$out/rounds-$1.log" fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    server_pid=$!
    for _ in $(seq 50); do [ -s "$fd_file" ] && break; sleep 0.1; done
    display=":$(head -1 "$fd_file")"
    rm -f "$fd_file"
    DISPLAY=$display SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 \
        valgrind --leak-check=full --suppressions=tests/valgrind.supp --log-file="$log" "$game" &
    game_pid=$!
    window=""
    for _ in $(seq 240); do
        window=$(DISPLAY=$display xdotool search --name Untitled 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 0.5
    done
    [ -n "$window" ] || { echo "no window appeared"; return 1; }
    local round
    for round in $(seq "$rounds"); do
        wait_for_text "A- Play" 240 || { echo "round $round: the menu did not appear"; return 1; }
        keys 1
        wait_for_text "Level 1" 120 || { echo "round $round: level 1 did not start"; return 1; }
        keys 6 6 2 2 4 4 8 8 6 2
        # A death on the way ends the round too; Q then reaches nothing.
        screen_row 10 | grep -qF "Level" && keys q
    done
    wait_for_text "A- Play" 240 || { echo "the menu did not come back"; return 1; }
    keys f
    local waited=0
    while kill -0 "$game_pid" 2>/dev/null && [ $waited -lt 300 ]; do sleep 1; waited=$((waited + 1)); done
    kill -0 "$game_pid" 2>/dev/null && { echo "the game did not end"; return 1; }
    wait "$game_pid"
    local status=$?
    game_pid=""
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
    server_pid=""
    [ $status -eq 0 ] || { echo "the game ended with status $status"; return 1; }
}

# Bytes of one leak kind ("definitely", "indirectly") in a log; 0 when none is reported.
lost_bytes() {
    local value
    value=$(grep -E "$1 lost:" "$2" | tail -1 | sed -E 's/.*lost: ([0-9,]+) bytes.*/\1/' | tr -d ,)
    echo "${value:-0}"
}

session 1 || exit 1
session "$rounds" || exit 1

short_log=$out/rounds-1.log
long_log=$out/rounds-$rounds.log
printf '%-10s %18s %18s\n' rounds "definitely lost" "indirectly lost"
printf '%-10s %18s %18s\n' 1 "$(lost_bytes definitely "$short_log")" "$(lost_bytes indirectly "$short_log")"
printf '%-10s %18s %18s\n' "$rounds" "$(lost_bytes definitely "$long_log")" "$(lost_bytes indirectly "$long_log")"
grep -E "ERROR SUMMARY" "$short_log" "$long_log" | sed 's/==[0-9]*== //'

status=0
for kind in definitely indirectly; do
    if [ "$(lost_bytes $kind "$long_log")" -gt "$(lost_bytes $kind "$short_log")" ]; then
        echo "FAIL: $kind lost bytes grow with play time (see $long_log)"
        status=1
    fi
done
[ $status -eq 0 ] && echo "memcheck: no leak grows with play time"
exit $status
