#!/usr/bin/env bash
# Unpacks Debian 12's sdl12-compat (the SDL 1.2 built on SDL 2 that current
# distributions ship) into build/sdl12-compat, once, without installing it:
# the system's own SDL 1.2 stays as it is. Prints the folder that holds the
# library, for LD_LIBRARY_PATH:
#
#     LD_LIBRARY_PATH=$(scripts/sdl12-compat.sh) build/default/tommy-zappo
set -u
cd "$(dirname "$0")/.."
scripts/install-deps.sh libsdl2-2.0-0 >&2 || exit 1
folder=build/sdl12-compat
library=$folder/usr/lib/x86_64-linux-gnu/sdl12-compat
if [ ! -e "$library/libSDL-1.2.so.0" ]; then
    rm -rf "$folder" && mkdir -p "$folder"
    # apt-get download warns on stderr when run as root (no sandbox user).
    (cd "$folder" && apt-get download libsdl1.2-compat 2>/dev/null && dpkg-deb -x libsdl1.2-compat_*.deb .) >&2 ||
        { echo "sdl12-compat could not be downloaded and unpacked" >&2; exit 1; }
fi
echo "$PWD/$library"
