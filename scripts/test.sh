#!/usr/bin/env bash
# The project's one test command: installs what is missing (Debian 12),
# builds and runs the whole test suite in the normal build and under
# AddressSanitizer + UndefinedBehaviorSanitizer, runs the normal build's suite
# again on sdl12-compat (the SDL 1.2 built on SDL 2 that current
# distributions ship), runs the fuzzers for a bounded time, and ends with one
# summary line. Every download is built once, as scripts/release.sh builds a
# release, and again from a fresh clone to hold the two byte for byte; the
# Debian package, the Windows and the web checks run on those files. The
# package is installed only as root on a throwaway machine (CI=true), or
# when asked:
#
#     scripts/test.sh [--install-check]
#
# In a git work tree it ends by checking that the tests left the tree as
# they found it: every output belongs under build/ or a temporary folder.
set -u
cd "$(dirname "$0")/.."
install_check=no
[ "${1:-}" = --install-check ] && install_check=yes

packages=(libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev pkg-config cmake ninja-build g++ clang
          libgtest-dev libbenchmark-dev xvfb xdotool libxdo-dev x11-utils x11-xkb-utils imagemagick
          weston)
scripts/install-deps.sh "${packages[@]}" || { echo "could not install the build dependencies"; exit 1; }

passed=0
failed=0
failures=()
details=build/failure-details.log
rm -f "$details"

# What each failed test printed last, from ctest's log in a build folder,
# kept for the end of the output, where a CI page that shows only the tail
# still shows why.
keep_failure_details() {
    local name=$1 dir=$2
    awk -v run="$name" '
        / Testing: / { test = $0; sub(/^[0-9]+\/[0-9]+ Testing: /, "", test) }
        /^Output:$/ { n = 0; collecting = 1; next }
        /^<end of output>$/ { collecting = 0 }
        collecting && !/^-+$/ { lines[n++] = $0 }
        /^Test Failed\.?$/ || /^Test failed/ {
            print "--- " run ": " test
            for (i = (n > 30 ? n - 30 : 0); i < n; i++) print lines[i]
        }' "$dir/Testing/Temporary/LastTest.log" >>"$details" 2>/dev/null || true
}

# Adds the counts of ctest's summary in log to the totals under name; with
# a build folder, keeps what its failed tests printed.
count_results() {
    local name=$1 log=$2 dir=${3:-}
    [ -z "$dir" ] || keep_failure_details "$name" "$dir"
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
    count_results "$preset" "$log" "build/$preset"
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
    count_results "default on sdl12-compat" "$log" build/default
    # The autopilot plays the real game against its clock and reads the
    # window as it goes: it runs alone, after the rest.
    local autopilot_log=build/default/ctest-sdl12-compat-autopilot.log
    LD_LIBRARY_PATH="$library${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" ctest --preset default -R '^Autopilot\.' -j1 2>&1 |
        tee "$autopilot_log" | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|Failed|\*\*\*' || true
    count_results "autopilot on sdl12-compat" "$autopilot_log" build/default
}

# One whole game on Hard by the autopilot (autopilot/) in the plain
# build, after the other window tests, as one test: the nine levels, the
# ending, then the medal screen and the title with the medal, each held
# pixel for pixel against a picture built from the game's drawing rules.
# One try; about 4 to 7 minutes.
run_hard_game() {
    echo "=== autopilot: a whole game on Hard"
    local log=build/autopilot-hard-test.log
    : >"$log"
    if [ -x build/default/autopilot/autopilot ] &&
        build/default/autopilot/autopilot --whole-game --difficulty hard --lives 9 --log "$log" \
            --failure-shot build/autopilot-hard-test-failure.ppm >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failures+=("autopilot: the whole game on Hard (see $log)")
        failed=$((failed + 1))
    fi
    grep -v '^ ' "$log" | grep -v '^last screen' | head -20
}

# The work tree's state before anything ran, where it is a git work tree
# (ignored files, build/ among them, are not part of it).
in_git_tree=false
if command -v git >/dev/null 2>&1 && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    in_git_tree=true
    tree_before=$(git status --porcelain --untracked-files=all)
fi

# Counts a pass when the work tree is as the tests found it, otherwise a
# failure naming every path that is new or changed since the start.
check_tree_unchanged() {
    $in_git_tree || return 0
    echo "=== the work tree as the tests found it"
    local left
    left=$(comm -13 <(sort <<<"$tree_before") <(git status --porcelain --untracked-files=all | sort))
    if [ -z "$left" ]; then
        passed=$((passed + 1))
        return
    fi
    echo "$left"
    failures+=("the tests left the work tree changed: $(echo "$left" | sed -E 's/^.. //' | paste -sd ' ' -)")
    failed=$((failed + 1))
}

# Adds the PASS: and FAIL: lines of a pass's log to the totals under name.
count_checks() {
    local name=$1 log=$2 count line
    count=$(grep -c '^PASS: ' "$log")
    passed=$((passed + count))
    count=$(grep -c '^FAIL: ' "$log")
    failed=$((failed + count))
    while IFS= read -r line; do failures+=("$name: ${line#FAIL: }"); done < <(grep '^FAIL: ' "$log")
}

# Every download, as scripts/release.sh builds them, into build/dist (a work
# tree with uncommitted changes is built as it stands); then again in a fresh
# clone elsewhere (the same changes applied, the libraries built for Windows
# shared, nothing else) under another time zone and umask, and
# tests/release/release_test.sh holds the two alike and checks the first:
# checksums, versions, the exe's manifest, the web zip, the release workflow.
# The package's build and lintian, and each check, count.
release=build/dist
run_release_pass() {
    echo "=== release: every download, twice"
    local log=build/release-pass.log options=(--output "$release") again second
    # diffoscope-minimal shows a difference without the hundreds of packages
    # diffoscope recommends; npm comes with the machine's Node.js.
    scripts/install-deps.sh diffoscope-minimal unzip >"$log" 2>&1 || true
    command -v npm >/dev/null || scripts/install-deps.sh npm >>"$log" 2>&1 || true
    [ -d ../shared/sources ] && options+=(--sources "$PWD/../shared/sources")
    [ -z "$(git status --porcelain)" ] || options+=(--uncommitted)
    if ! scripts/release.sh "${options[@]}" >>"$log" 2>&1; then
        tail -30 "$log"
        failures+=("release: scripts/release.sh failed (see $log)")
        failed=$((failed + 1))
        return
    fi
    grep '^release: .* took' "$log"
    again=$(mktemp -d /tmp/tz-release-XXXXXX)
    second=$again/tree/$release
    git clone -q --no-hardlinks . "$again/tree" &&
        { git diff --binary HEAD | git -C "$again/tree" apply --allow-empty; } &&
        { git ls-files -z --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$again/tree"; } &&
        mkdir -p "$again/tree/build" && ln -s "$PWD/build/windows-deps" "$again/tree/build/windows-deps" &&
        (cd "$again/tree" && umask 077 && TZ=Pacific/Chatham scripts/release.sh "${options[@]}") >>"$log" 2>&1 ||
        { tail -30 "$log"; failures+=("release: the second build failed (see $log)"); failed=$((failed + 1)); second=""; }
    tests/release/release_test.sh "$release" ${second:+"$second"} >>"$log" 2>&1
    grep -E '^(PASS|FAIL):' build/release.log "$log" | sed 's/^[^:]*://'
    count_checks release build/release.log
    count_checks release "$log"
    rm -rf "$again"
}

# The Debian package of the release: its file list held against
# tests/package/files.txt and the game played from an unpacked copy;
# installed with apt, played from its menu entry and purged only where that
# is allowed, since a person's machine must not get a package it did not
# ask for. Each check counts.
run_package_pass() {
    echo "=== Debian package"
    local options=(--contents --deb "$release/tommy-zappo_$(scripts/version.sh)-1_amd64.deb") log=build/package.log status
    if [ "$install_check" = yes ] || { [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ]; }; then
        options+=(--install-check)
    fi
    scripts/package.sh "${options[@]}" >"$log" 2>&1
    status=$?
    grep -E '^(PASS|FAIL):|^[EWI]: |bytes; installed size' "$log"
    local count
    count_checks package "$log"
    count=$(grep -c '^FAIL: ' "$log")
    if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
        tail -20 "$log"
        failures+=("package: scripts/package.sh ended with status $status")
        failed=$((failed + 1))
    fi
}

# The release's web zip (unpacked by the release checks) in headless
# Chromium, then in Firefox and WebKit, checked against the desktop build
# of run_preset default (its pictures and its sound); each check of
# tests/web/web_test.py and tests/web/phone_test.py (touch controls,
# offline cache, gamepad) counts as one test.
run_web_pass() {
    echo "=== web: the release's page in headless Chromium"
    local log=build/web-test.log page=build/release-test/unpacked/web
    if ! scripts/install-deps.sh chromium chromium-driver python3-selenium >"$log" 2>&1 || [ ! -f "$page/index.html" ]; then
        tail -30 "$log"
        failures+=("web: no page from the release")
        failed=$((failed + 1))
        return
    fi
    timeout 600 /usr/bin/python3 tests/web/web_test.py --web "$page" 2>&1 | tee -a "$log" | grep '^web:' || true
    count_results web "$log"
    # The same game in Firefox ESR (over WebDriver BiDi, puppeteer-core from
    # tests/web/package-lock.json) and in WebKitGTK's MiniBrowser, each with
    # a log and a summary of its own.
    local engine
    for engine in firefox webkit; do
        : >"build/web-test-$engine.log"
        command -v npm >/dev/null || scripts/install-deps.sh npm >>"build/web-test-$engine.log" 2>&1
        if ! scripts/install-deps.sh firefox-esr webkit2gtk-driver >>"build/web-test-$engine.log" 2>&1; then
            failures+=("web in $engine: its packages could not be installed")
            failed=$((failed + 1))
            continue
        fi
        timeout 600 /usr/bin/python3 tests/web/web_test.py --engine "$engine" --web "$page" 2>&1 |
            tee -a "build/web-test-$engine.log" | grep "^web-$engine:" || true
        count_results "web in $engine" "build/web-test-$engine.log"
    done
    # Phones, offline play and gamepads, in a log of their own (one summary each).
    timeout 600 /usr/bin/python3 tests/web/phone_test.py --web "$page" 2>&1 | tee build/phone-test.log | grep '^web:' || true
    count_results phone build/phone-test.log
}

# The Windows build (scripts/windows.sh, its libraries built once and kept
# under build/windows-deps; SDL_ttf's source from ../shared/sources where
# that folder is there) under Wine on Xvfb, checked against the default
# build, with the release's zip and installer; each PASS: or FAIL: line of
# tests/windows/windows_test.sh counts.
run_windows_pass() {
    echo "=== Windows: cross build and Wine"
    local log=build/windows-test.log sources=()
    [ -d ../shared/sources ] && sources=(--sources ../shared/sources)
    # The release built the game; its tests are built here.
    if ! scripts/install-deps.sh wine64 unzip >"$log" 2>&1 || ! scripts/windows.sh "${sources[@]}" build >>"$log" 2>&1; then
        tail -30 "$log"
        failures+=("Windows build")
        failed=$((failed + 1))
        return
    fi
    timeout 900 tests/windows/windows_test.sh --downloads "$release" >>"$log" 2>&1
    grep -E '^(PASS|FAIL):' "$log"
    count_checks Windows "$log"
}

mkdir -p build
run_preset default
run_preset asan
run_on_sdl12_compat
run_hard_game
run_release_pass
run_web_pass
run_package_pass
run_windows_pass

if [ -x scripts/fuzz.sh ]; then
    echo "=== fuzzers"
    if scripts/fuzz.sh 30; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("fuzzers"); fi
fi

check_tree_unchanged

echo
[ -s "$details" ] && head -300 "$details"
for failure in "${failures[@]+"${failures[@]}"}"; do echo "FAILED: $failure"; done
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
