#!/usr/bin/env bash
# Prints the version, as CMakeLists.txt's project() gives it: the one place
# it is written. Scripts name their files after it.
set -eu
sed -n 's/^project([a-z_]* VERSION \([0-9.]*\) .*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
