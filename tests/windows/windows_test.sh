#!/usr/bin/env bash
# The Windows build under Wine on Xvfb, checked against the Linux build of
# build/default: one PASS: or FAIL: line per check (scripts/test.sh counts
# them). Needs scripts/windows.sh's outputs and build/default.
#   tests/windows/windows_test.sh [--all] [--downloads DIR]
# --all adds the check that Wine on Xvfb passes only now and then (below).
# --downloads takes the zip and the installer from DIR (a release's) rather
# than from build/windows.
set -u
cd "$(dirname "$0")/../.."
root=$PWD
win=$root/build/windows
linux=$root/build/default
version=$(scripts/version.sh)
downloads=$win
export PATH=/usr/lib/wine:$PATH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tmp=$(mktemp -d /tmp/tz-windows-XXXXXX)
export WINEPREFIX=$tmp/prefix
xvfb=-1
all=no
while [ $# -gt 0 ]; do
    case $1 in
    --all) all=yes; shift ;;
    --downloads) downloads=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: tests/windows/windows_test.sh [--all] [--downloads DIR]" >&2; exit 2 ;;
    esac
done

# wait_until SECONDS COMMAND...: the command every 0.1 s until it succeeds
# (status 0) or SECONDS pass (1). Every wait of this pass on what a window, a
# file or a process shows goes through here.
wait_until() {
    local looks=$(($1 * 10))
    shift
    until "$@"; do looks=$((looks - 1)) && [ "$looks" -gt 0 ] && sleep 0.1 || return 1; done
}

# The id of the visible window titled exactly $1, once it shows (up to 20 s).
visible_window() { window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1); [ -n "$window" ]; }
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
find_window() {
    local window=""
    wait_until 20 visible_window "$1"
    echo "$window"
}

check() {  # check NAME COMMAND...: one line for the command's success
    local name=$1
    shift
    if "$@"; then echo "PASS: $name"; else echo "FAIL: $name"; fi
}

finish() {
    wineserver -k 2>/dev/null
    [ "$xvfb" -gt 0 ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap finish EXIT

# A display of this pass's own, and a Wine prefix in the temporary folder.
# Managed=N: without a window manager Wine waits 2 s whenever a window
# hides unless it draws the window's frame itself.
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
wait_until 5 test -s "$tmp/display"
export DISPLAY=:$(head -1 "$tmp/display")
wine64 wineboot -i >/dev/null 2>&1
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w

# --- The runtime's unit tests that need no child process. Left out, as they
# hold only where the platform is the desktop's stand-in:
#   Keyboard.FlagBytesFollowModifiersAndLocks, .LockKeysFollowTheSystemOnEveryIteration,
#   .StartUpSeedsTheLocksFromTheSystem: they set the lock states through SDL's
#     modifier state and the runtime's own Scroll Lock; on Windows GetKeyState
#     is the truth for all three.
#   Keyboard.PollingKeepsItsPaceWhetherKeysArriveOrNot: counts reads against
#     the clock, and a thread held off the processor for over 2 ms (often,
#     under Wine on a busy machine) starts a new run of quick reads.
# The tests that run the runtime in a child process (fork) stay Linux-only.
linux_only="Keyboard.FlagBytesFollowModifiersAndLocks:Keyboard.LockKeysFollowTheSystemOnEveryIteration"
linux_only+=":Keyboard.StartUpSeedsTheLocksFromTheSystem:Keyboard.PollingKeepsItsPaceWhetherKeysArriveOrNot"
(cd "$win" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy wine64 windows_unit_tests.exe --gtest_filter="-$linux_only") \
    >"$tmp/unit.log" 2>&1
unit_status=$?
unit_passed=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$tmp/unit.log")
unit_failures=$(grep -E '^\[  FAILED  \] [A-Za-z]' "$tmp/unit.log" | sed 's/^\[  FAILED  \] //; s/ (.*//' | sort -u)
[ -z "$unit_failures" ] || echo "$unit_failures" | sed 's/^/FAIL: unit test /'
unit_failed=$(printf '%s' "$unit_failures" | grep -c .)
# The verdict: the program's status and its own count of failures.
check "unit tests under Wine (${unit_passed:-0} passed, $unit_failed failed, status $unit_status)" \
    test "$unit_status" -eq 0 -a -n "$unit_passed" -a "$unit_failed" -eq 0

# Wine's desktop process lives on the display of the program that started
# it and outlives the program for a moment: programs on another display
# then meet a desktop of the wrong size (the full screen fails), or one
# whose display is gone (windows wait for it for ever). Each group of
# checks on another display starts Wine afresh.
restart_wine() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
}
restart_wine

# --- The desktop window checks, the same tests and tables, played against
# the exe: its window read without the frame Wine draws.
cat >"$tmp/game" <<EOF
#!/bin/sh
SDL_VIDEODRIVER=windib exec wine64 "$win/tommy-zappo.exe" "\$@"
EOF
chmod +x "$tmp/game"
window_checks="Executable.SplashTitleAndMenuAppearInOrderAndMenuKeysChangeTheirLines"
window_checks+=":Executable.ClosingTheWindowEndsWithStatusZero:Executable.PracticeKeysOneToThreeDrawTheirLevels"
TZ_GAME_COMMAND=$tmp/game TZ_WINDOW_FRAME=3,22,3,3 "$linux/tests/game_tests" --gtest_filter="$window_checks" \
    >"$tmp/window.log" 2>&1
for test in ${window_checks//:/ }; do
    if grep -q "^\[       OK \] $test " "$tmp/window.log"; then echo "PASS: window: $test"; else echo "FAIL: window: $test"; fi
done
grep -q '^\[  FAILED  \]' "$tmp/window.log" && sed -n '/Failure/,+6p' "$tmp/window.log" | head -40
# --- The Linux autopilot plays levels 1 to 3 on Easy against the exe, as
# the desktop suite has it play the Linux executable; then level 7 on Normal,
# whose patroller and chaser leave no step to spare: with 3 lives it was
# lost there while each frame reached the screen a loop pass late.
autopilot_wins() {  # autopilot_wins NAME AUTOPILOT-OPTIONS...
    local name=$1
    shift
    TZ_GAME_COMMAND=$tmp/game TZ_WINDOW_FRAME=3,22,3,3 "$linux/autopilot/autopilot" "$@" \
        --log "$win/autopilot-$name.log" --failure-shot "$win/autopilot-$name-failure.ppm" >/dev/null 2>&1
}
restart_wine
check "autopilot wins levels 1 to 3 on Easy" autopilot_wins levels-1-3 --levels 1-3 --difficulty easy --lives 9
restart_wine
check "autopilot wins level 7 on Normal with 3 lives" autopilot_wins level-7 --practice 7 --difficulty normal --lives 3
restart_wine
wineserver -p 2>/dev/null  # one desktop process for the rest, all on this display

# --- Options at the console: printed, with their statuses.
options_answered() {
    [ "$(wine64 "$win/tommy-zappo.exe" --version 2>/dev/null | tr -d '\r')" = "tommy-zappo $version" ] &&
        wine64 "$win/tommy-zappo.exe" --help 2>/dev/null | grep -q '^Usage: tommy-zappo' &&
        { wine64 "$win/tommy-zappo.exe" --bogus >/dev/null 2>&1; [ $? -eq 2 ]; }
}
check "--version, --help and a bad option's status 2" options_answered

# --- The splash tunes and the jingle, through SDL's disk audio driver, the
# same bytes as the Linux build's: each sounding stretch alike and in order.
# F is typed once the jingle has sounded to its end: on Linux once the menu
# (drawn after the jingle) shows, on Windows once as many stretches as on
# Linux have sounded.
linux_menu_shown() {
    import -window "$window" -depth 8 ppm:- 2>/dev/null | "$linux/tests/screen_text" | grep -q 'A- Play' &&
        python3 tests/windows/sounding_stretches.py --ended "$tmp/linux.raw"
}
windows_sounds_ended() { python3 tests/windows/sounding_stretches.py --ended "$tmp/windows.raw" "$tmp/linux.raw"; }
disk_audio() {  # disk_audio FILE JINGLE-ENDED COMMAND...
    local file=$1 ended=$2
    shift 2
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$file SDL_DISKAUDIODELAY=46 "$@" &
    local game=$! window
    window=$(find_window Untitled)
    wait_until 30 "$ended"
    [ -n "$window" ] && xdotool windowfocus --sync "$window" && xdotool key f
    wait "$game"
}
same_sounds() {
    disk_audio "$tmp/linux.raw" linux_menu_shown env SDL_VIDEODRIVER=x11 "$linux/tommy-zappo" &&
        disk_audio "$tmp/windows.raw" windows_sounds_ended env SDL_VIDEODRIVER=windib wine64 "$win/tommy-zappo.exe" &&
        python3 tests/windows/sounding_stretches.py "$tmp/linux.raw" "$tmp/windows.raw"
}
check "splash tunes and jingle byte-identical to Linux" same_sounds

# --- The boxes through the real MessageBoxA: found by caption, answered by
# key; the status tells the answer (after Yes the program ends with 3).
box_answer() {  # box_answer FAULT CAPTION KEY EXPECTED_STATUS
    local status
    wine64 "$win/faults_program.exe" "$1" &
    local program=$! box
    box=$(find_window "$2")
    [ -n "$box" ] && xdotool windowfocus --sync "$box" && wait_until 3 focused "$box" && xdotool key "$3"
    wait "$program"
    status=$?
    [ -n "$box" ] && [ "$status" -eq "$4" ]
}
check "error box answered Yes goes on" box_answer 5 "Unhandled Error #5" Return 3
check "error box answered No ends with 0" box_answer 5 "Unhandled Error #5" n 0
check "critical box ends with 0" box_answer 301 "Critical Error #301" Return 0
check "division by zero shows its box and ends with 0" box_answer divide "Critical Error" space 0

# --- The zip holds what a player needs, and nothing else.
zip_list() {
    unzip -Z1 "$downloads/tommy-zappo-$version-win64.zip" | sort >"$tmp/zip.txt"
    diff -u <(sed "s/@VERSION@/$version/" tests/windows/zip_files.txt) "$tmp/zip.txt"
}
check "zip file list" zip_list

# --- The installer: silent, for this user only; the game played from the
# Start-menu entry's command; the uninstaller leaves nothing.
gone() { ! ls -d "$@" >/dev/null 2>&1; }
install_play_uninstall() {
    local home="$WINEPREFIX/drive_c/users/$(id -un)"
    local dir="$home/AppData/Local/Programs/TOMMY-ZAPPO"
    local entry="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TOMMY-ZAPPO.lnk"
    wine64 "$downloads/tommy-zappo-$version-setup.exe" /S && [ -f "$dir/tommy-zappo.exe" ] && [ -f "$entry" ] ||
        { echo "installer: no files"; return 1; }
    # Settings' list of apps: the version, where the game is and its size
    # (in KiB: at least the bytes of its files, at most the disk blocks they take).
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\TOMMY-ZAPPO' size
    wine64 reg query "$key" 2>/dev/null | tr -d '\r' >"$tmp/uninstall-entry.txt"
    size=$(awk '$1 == "EstimatedSize" { print $3 }' "$tmp/uninstall-entry.txt")  # hexadecimal
    grep -qx "    DisplayVersion    REG_SZ    $version" "$tmp/uninstall-entry.txt" &&
        grep -q '^    InstallLocation    REG_SZ    C:\\users\\.*\\AppData\\Local\\Programs\\TOMMY-ZAPPO$' "$tmp/uninstall-entry.txt" &&
        [ -n "$size" ] && [ "$(((size + 1) * 1024))" -ge "$(($(find "$dir" -type f -printf '%s+')0))" ] &&
        [ "$((size))" -le "$(du -sk "$dir" | cut -f1)" ] ||
        { echo "installer: the uninstall entry:"; cat "$tmp/uninstall-entry.txt"; return 1; }
    strings -el "$entry" | grep -q -- '^--scale auto$' || { echo "installer: no --scale auto"; return 1; }  # UTF-16
    SDL_VIDEODRIVER=windib SDL_AUDIODRIVER=dummy wine64 start /wait /unix "$entry" &
    local game=$! window
    window=$(find_window Untitled)
    [ -n "$window" ] && xdotool windowfocus --sync "$window" && wait_until 3 focused "$window" && xdotool key f
    wait "$game" || { echo "installer: the game ended with $?"; return 1; }
    [ -n "$window" ] || { echo "installer: no window"; return 1; }
    wine64 "$dir/uninstall.exe" /S || { echo "installer: the uninstaller failed"; return 1; }
    # The folder itself too only with --all: in this pass (never when tried
    # alone) Wine keeps it, empty, for a reason not yet found.
    local left=("$dir" "$entry")
    [ "$all" = yes ] || left=("$dir"/* "$dir"/licenses "$entry")
    wait_until 30 gone "${left[@]}" || { echo "installer: left behind: $(find "$dir" "$entry" 2>/dev/null)"; return 1; }
}
# Without the lasting desktop process of the checks above: it keeps the
# folder the uninstaller would remove last (left empty).
restart_wine
check "installed silently, played from the Start menu, uninstalled without a trace" install_play_uninstall
