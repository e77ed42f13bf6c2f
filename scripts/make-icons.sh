#!/usr/bin/env bash
# Makes the installed icons from the window icon: 32 x 32 as it is; 192,
# 256 and 512 scaled up without smoothing (192 and 512 for the web page's
# manifest); 32 and 256 together in the Windows executable's icon file.
# Needs a default build and ImageMagick.
set -eu
cd "$(dirname "$0")/.."
cmake --build --preset default --target export_icon >/dev/null
tmp=$(mktemp -d)
build/default/export_icon "$tmp/icon.bmp"
convert "$tmp/icon.bmp" -transparent '#FF00FF' data/icons/tommy-zappo-32.png
for size in 192 256 512; do
    convert "$tmp/icon.bmp" -transparent '#FF00FF' -filter point -resize ${size}x$size data/icons/tommy-zappo-$size.png
done
convert data/icons/tommy-zappo-32.png data/icons/tommy-zappo-256.png data/icons/tommy-zappo.ico
rm -rf "$tmp"
