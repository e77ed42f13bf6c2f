#!/usr/bin/env bash
# The Debian package, built from debian/ with dpkg-buildpackage and checked
# with lintian:
#
#     scripts/package.sh                  build, lintian; leaves build/tommy-zappo_<version>-1_amd64.deb
#     scripts/package.sh --twice          and build again in another folder: both must be byte-identical
#     scripts/package.sh --deb FILE ...   no build: the checks below on a package built before (a release's)
#     scripts/package.sh --contents       and hold the file list against tests/package/files.txt, then
#                                         play the game from an unpacked copy (installs nothing)
#     scripts/package.sh --install-check  and install it with apt, start the menu entry's command, purge
#                                         it, and compare the file system before and after (as root; it
#                                         changes this machine for a moment)
#
# The build runs in a copy of the tracked files under build/package/, so the
# source tree stays as it is. Every check prints "PASS: name" or
# "FAIL: name"; the status is 0 when every check passed.
set -u
cd "$(dirname "$0")/.."

twice=no contents=no install_check=no given_deb=""
while [ $# -gt 0 ]; do
    case $1 in
        --twice) twice=yes ;;
        --contents) contents=yes ;;
        --install-check) install_check=yes ;;
        --deb) given_deb=${2:-}; shift ;;
        *) echo "usage: scripts/package.sh [--twice] [--contents] [--install-check] [--deb FILE]" >&2; exit 2 ;;
    esac
    shift
done

work=build/package
mkdir -p "$work"
failed=0
pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1${2:+: $2}"; failed=$((failed + 1)); }
# The check named $1 passes when the command after it succeeds.
check() { local name=$1; shift; if "$@"; then pass "$name"; else fail "$name"; fi; }

scripts/install-deps.sh dpkg-dev debhelper lintian || exit 1
# What debian/control's Build-Depends names and this machine lacks (the
# version bounds are met by Debian 12 itself).
unmet=$(dpkg-checkbuilddeps 2>&1 | sed -n 's/.*Unmet build dependencies: //p' | sed -E 's/\([^)]*\)//g')
# shellcheck disable=SC2086 # one package a word
[ -z "$unmet" ] || scripts/install-deps.sh $unmet || exit 1
if [ "$contents$install_check" != nono ]; then
    scripts/install-deps.sh xvfb x11-utils xdotool desktop-file-utils appstream || exit 1
fi

source_name=$(dpkg-parsechangelog -S Source)
version=$(dpkg-parsechangelog -S Version)
upstream_version=${version%-*}
architecture=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=${source_name}_${version}_${architecture}.deb
debug_deb=${source_name}-dbgsym_${version}_${architecture}.deb
epoch=$(dpkg-parsechangelog -S Timestamp)

# Builds the source and binary packages in folder $1: the tracked files are
# copied (uncommitted changes included), the upstream tarball is made of them
# without debian/, and dpkg-buildpackage builds there.
build_in() {
    local folder=$1 tree=$1/${source_name}-${upstream_version}
    rm -rf "$folder" && mkdir -p "$tree"
    git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$tree" || return 1
    # The files the package takes as they are (the copyright, the menu entry)
    # keep their times: one time for all, whenever the tree was checked out.
    find "$tree" -exec touch -h -d "@$epoch" {} + || return 1
    tar -C "$folder" --exclude="${source_name}-${upstream_version}/debian" --sort=name --mtime="@$epoch" \
        --owner=0 --group=0 --numeric-owner -cJf "$folder/${source_name}_${upstream_version}.orig.tar.xz" \
        "${source_name}-${upstream_version}" || return 1
    (cd "$tree" && DEB_BUILD_OPTIONS="parallel=2" dpkg-buildpackage -us -uc) >"$folder.log" 2>&1
}

# Builds the package in $work/one, copies it to build/ and runs lintian.
build_and_lint() {
    echo "=== package: build"
    start=$SECONDS
    if ! build_in "$work/one"; then
        tail -40 "$work/one.log"
        fail "package build" "see $work/one.log"
        exit 1
    fi
    pass "package build ($((SECONDS - start)) s)"
    cp "$work/one/$deb" build/
    cp "$work/one/$debug_deb" build/ 2>/dev/null
    echo "build/$deb: $(stat -c %s "build/$deb") bytes; installed size $(dpkg-deb -f "build/$deb" Installed-Size) KiB"

    echo "=== package: lintian"
    # --fail-on takes informational tags too: each one is either mended or
    # overridden in debian/ with the reason beside it.
    if lintian --display-info --fail-on error,warning,info \
        "$work/one/${source_name}_${version}_${architecture}.changes" >"$work/lintian.log" 2>&1; then
        pass lintian
    else
        fail lintian
    fi
    grep -v 'running with root privileges' "$work/lintian.log"
}

# Takes the package $1 built before instead (the same name and version).
take_package() {
    [ -f "$1" ] || { echo "no such package: $1" >&2; exit 2; }
    [ "$(dpkg-deb -f "$1" Package)_$(dpkg-deb -f "$1" Version)" = "${source_name}_${version}" ] ||
        { echo "$1 is not ${source_name} ${version}" >&2; exit 2; }
    mkdir -p build
    [ "$1" -ef "build/$deb" ] || cp "$1" "build/$deb"
}

if [ -n "$given_deb" ]; then
    take_package "$given_deb"
    twice=no
else
    build_and_lint
fi

if [ "$twice" = yes ]; then
    echo "=== package: built again in another folder"
    if ! build_in "$work/two"; then
        fail "second package build" "see $work/two.log"
    else
        for package in "$deb" "$debug_deb"; do
            check "reproducible: $package" cmp "$work/one/$package" "$work/two/$package"
        done
    fi
fi

# The file list without sizes and times: mode, owner, path (and a link's target).
file_list() { dpkg-deb -c "$1" | awk '{ $3 = $4 = $5 = ""; print }' | tr -s ' '; }

# Starts the desktop entry $1's command line on a virtual X display of its
# own, without a sound card, and ends the game with F as a player would;
# passes when the game ends with status 0.
play_from_menu_entry() {
    local entry=$1 name=$2 command fd_file server game window display status=timeout
    command=$(sed -n 's/^Exec=//p' "$entry" | sed -E 's/ ?%[fFuUick]//g')
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fd_file" >>"$work/xvfb.log" 2>&1 &
    server=$!
    # The server writes its display number once it accepts clients.
    for _ in $(seq 300); do [ -s "$fd_file" ] && [ -z "$(tail -c 1 "$fd_file")" ] && break; sleep 0.1; done
    display=":$(head -1 "$fd_file")"
    rm -f "$fd_file"
    # A first client's answer shows the server accepts clients. Without
    # -noreset the server would start afresh as that client leaves, and a
    # game connecting just then found no server (status 100).
    for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    # shellcheck disable=SC2086 # the Exec line is split as the desktop splits it
    DISPLAY=$display SDL_AUDIODRIVER=dummy $command &
    game=$!
    # F is typed until the game ends: the splash and the title come first.
    for _ in $(seq 120); do
        kill -0 "$game" 2>/dev/null || break
        window=$(DISPLAY=$display xdotool search --name Untitled 2>/dev/null | head -1)
        [ -n "$window" ] && DISPLAY=$display xdotool windowfocus --sync "$window" key f 2>/dev/null
        sleep 0.5
    done
    if kill -0 "$game" 2>/dev/null; then
        kill "$game"
        wait "$game" 2>/dev/null
    else
        wait "$game"
        status=$?
    fi
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    if [ "$status" = 0 ]; then pass "$name: '$command' ended by F with status 0"; else fail "$name: '$command' ended by F" "status $status"; fi
}

# The command prints the program's name and version.
prints_version() { [ "$("$@")" = "$source_name $upstream_version" ]; }

# The menu entry and the AppStream metadata under root $1 validate.
validate_menu_entry() {
    local root=$1 name=$2
    check "$name: desktop-file-validate" desktop-file-validate "$root/usr/share/applications/$source_name.desktop"
    local metainfo
    metainfo=$(dpkg-deb -c "build/$deb" | grep -o 'usr/share/metainfo/[^ ]*\.xml$')
    check "$name: appstreamcli validate" appstreamcli validate --no-net "$root/$metainfo"
}

if [ "$contents" = yes ]; then
    echo "=== package: contents"
    check "file list as in tests/package/files.txt" diff -u tests/package/files.txt <(file_list "build/$deb")
    unpacked=$work/unpacked
    rm -rf "$unpacked" && dpkg-deb -x "build/$deb" "$unpacked"
    check "unpacked: tommy-zappo --version" prints_version "$unpacked/usr/games/tommy-zappo" --version
    PATH="$PWD/$unpacked/usr/games:$PATH" play_from_menu_entry "$unpacked/usr/share/applications/$source_name.desktop" unpacked
    validate_menu_entry "$unpacked" unpacked
fi

# Every file and folder outside the places that change by themselves:
#   /proc /sys /dev /run   the kernel's and the running system's views
#   /tmp /var/tmp          the virtual display's sockets and locks
#   /var/cache/apt /var/lib/apt  apt's lists and package cache
#   /var/lib/dpkg          dpkg's own records (the purge is checked with dpkg-query instead)
#   /var/log               apt's and dpkg's logs of the install and the purge
#   /var/cache/man         man-db's index, which its trigger rebuilds
#   /var/lib/xkb           the compiled keymaps the X server leaves
#   /root /home            the home folder of whoever runs the check
#   /work /build /__w      source and build trees, this one included
file_system() {
    find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp -o -path /var/tmp \
        -o -path /var/cache/apt -o -path /var/lib/apt -o -path /var/lib/dpkg -o -path /var/log \
        -o -path /var/cache/man -o -path /var/lib/xkb -o -path /root -o -path /home \
        -o -path /work -o -path /build -o -path /__w -o -path "$PWD" \) -prune -o -print | LC_ALL=C sort
}

# apt-get, its output kept in the log and shown when it fails.
quiet_apt() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >>"$work/apt.log" 2>&1 || { tail -20 "$work/apt.log"; false; }
}

if [ "$install_check" = yes ]; then
    rm -f "$work/apt.log"
    echo "=== package: installed with apt, played, purged"
    if [ "$(id -u)" -ne 0 ]; then
        fail "install check" "needs root"
    elif dpkg-query -W "$source_name" >/dev/null 2>&1; then
        # Its purge would leave the machine without what was there before.
        fail "install check" "$source_name is installed already; purge it first"
    else
        # The dependencies hold on sdl12-compat's shim as on the original
        # SDL 1.2 (apt only works the installation out here).
        check "apt could install it beside sdl12-compat's shim" grep -q "^Inst $source_name " \
            <(apt-get install -s "./build/$deb" libsdl1.2-compat-shim 2>&1)
        file_system >"$work/before.txt"
        check "apt-get install ./build/$deb" quiet_apt install "./build/$deb"
        file_system >"$work/installed.txt"
        echo "the install added:"
        comm -13 "$work/before.txt" "$work/installed.txt" | sed 's/^/    /'
        # A player's PATH, which holds /usr/games (root's does not).
        player_path=$(sed -n 's/^ENV_PATH[[:space:]]*PATH=//p' /etc/login.defs)
        player_path=${player_path:-/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games}
        check "installed: tommy-zappo --version from a player's PATH" \
            prints_version env PATH="$player_path" tommy-zappo --version
        PATH=$player_path play_from_menu_entry "/usr/share/applications/$source_name.desktop" installed
        validate_menu_entry "" installed
        check "apt-get purge $source_name" quiet_apt purge "$source_name"
        file_system >"$work/after.txt"
        echo "the purge left (an empty list when nothing):"
        comm -13 "$work/before.txt" "$work/after.txt" | sed 's/^/    /'
        check "nothing left after the purge ($(wc -l <"$work/before.txt") paths compared)" \
            diff "$work/before.txt" "$work/after.txt"
    fi
fi

[ "$failed" -eq 0 ]
