#!/usr/bin/env bash
# Every download of one version, built from the last commit into
# dist/<version>/ (the version is CMakeLists.txt's, scripts/version.sh):
#
#   tommy-zappo_<version>-1_amd64.deb     Debian 12, Ubuntu (scripts/package.sh)
#   tommy-zappo-<version>-win64.zip       64-bit Windows, unpack and play (scripts/windows.sh)
#   tommy-zappo-<version>-setup.exe       64-bit Windows, the installer
#   tommy-zappo-<version>-web.zip         the page, for any static host (scripts/web.sh)
#   tommy-zappo-<version>.tar.gz          the source of the commit (git archive)
#   SHA256SUMS                            their checksums (sha256sum -c SHA256SUMS)
#   RELEASE-NOTES.md                      the version's section of CHANGELOG.md
#
#   scripts/release.sh [--sources DIR] [--output DIR] [--uncommitted]
#
# The files are the same bytes whoever builds them, wherever, whenever: the
# time in every one is the last commit's (SOURCE_DATE_EPOCH), the clock's
# zone and the umask are fixed here, and the builds leave out their paths.
# --sources DIR (or $TZ_SOURCES) is scripts/windows.sh's folder of source
# tarballs. The libraries built for Windows and Emscripten's cache under
# build/ and the home folder are reused. A tree with uncommitted changes is
# refused, since its files would not be the commit's; --uncommitted builds
# it all the same (the test command's own check of a work in progress).
set -eu
cd "$(dirname "$0")/.."
root=$PWD
sources=${TZ_SOURCES:-} output="" uncommitted=no
while [ $# -gt 0 ]; do
    case $1 in
    --sources) sources=$2; shift 2 ;;
    --output) output=$2; shift 2 ;;
    --uncommitted) uncommitted=yes; shift ;;
    *) echo "usage: scripts/release.sh [--sources DIR] [--output DIR] [--uncommitted]" >&2; exit 2 ;;
    esac
done

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "release: $root is not a git work tree; a release is built from a commit" >&2
    exit 1
fi
if [ "$uncommitted" = no ] && [ -n "$(git status --porcelain)" ]; then
    echo "release: the work tree has uncommitted changes, which the release would not hold; commit or stash them first:" >&2
    git status --short >&2
    exit 1
fi

version=$(scripts/version.sh)
debian_version=$(sed -n '1s/^tommy-zappo (\([^)]*\)-[0-9]*).*/\1/p' debian/changelog)
if [ "$debian_version" != "$version" ]; then
    echo "release: debian/changelog's newest entry is $debian_version, CMakeLists.txt says $version" >&2
    exit 1
fi
notes=$(awk -v heading="## $version " 'index($0, heading) == 1 { on = 1; next } /^## / { on = 0 } on' CHANGELOG.md)
if [ -z "$(tr -d '[:space:]' <<<"$notes")" ]; then
    echo "release: CHANGELOG.md has no section \"## $version (date)\"" >&2
    exit 1
fi

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
dist=${output:-dist/$version}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
rm -f "$dist"/*
name=tommy-zappo-$version
log=$root/build/release.log
mkdir -p build
: >"$log"
# Runs a step, its output in the log; shows the log's end when it fails.
step() {
    local what=$1 start=$SECONDS
    shift
    echo "release: $what"
    if ! "$@" >>"$log" 2>&1; then
        tail -40 "$log"
        echo "release: $what failed (the whole log: $log)" >&2
        exit 1
    fi
    echo "release: $what took $((SECONDS - start)) s"
}

step "the Debian package" scripts/package.sh
cp "build/tommy-zappo_$version-1_amd64.deb" "$dist/"

windows=(scripts/windows.sh --game-only)
[ -z "$sources" ] || windows+=(--sources "$sources")
step "the Windows zip and installer" "${windows[@]}"
cp "build/windows/$name-win64.zip" "build/windows/$name-setup.exe" "$dist/"

step "the web page" scripts/web.sh build
# The page's files at the zip's root, as a host serves them.
pack_web() {
    local files=build/release-web
    rm -rf "$files" && mkdir -p "$files"
    (cd build/web && xargs -d '\n' cp -t "$root/$files" <page_files.txt)
    chmod 644 "$files"/* && touch -d "@$SOURCE_DATE_EPOCH" "$files"/*
    (cd "$files" && LC_ALL=C sort <"$root/build/web/page_files.txt" | zip -q -X -@ "$dist/$name-web.zip")
}
step "the web zip" pack_web

step "the source" git archive --format=tar.gz --prefix="$name/" -o "$dist/$name.tar.gz" HEAD

printf '# TOMMY-ZAPPO %s\n%s\n' "$version" "$notes" >"$dist/RELEASE-NOTES.md"
(cd "$dist" && sha256sum -- *.deb *.zip *.exe *.tar.gz RELEASE-NOTES.md >SHA256SUMS)
echo "release: $dist"
(cd "$dist" && ls -l --time-style=+ | tail -n +2 | awk '{ printf "  %10d  %s\n", $5, $NF }')
