#!/usr/bin/env bash
# Makes the installed icons from the window icon: 32 x 32 as it is, and
# 256 x 256 scaled up without smoothing, and both in the Windows executable's
# icon file. Needs a default build and ImageMagick.
set -eu
cd "$(dirname "$0")/.."
cmake --build --preset default --target export_icon >/dev/null
tmp=$(mktemp -d)
build/default/export_icon "$tmp/icon.bmp"
convert "$tmp/icon.bmp" -transparent '#FF00FF' data/icons/tommy-zappo-32.png
convert "$tmp/icon.bmp" -transparent '#FF00FF' -filter point -resize 256x256 data/icons/tommy-zappo-256.png
convert data/icons/tommy-zappo-32.png data/icons/tommy-zappo-256.png data/icons/tommy-zappo.ico
rm -rf "$tmp"
