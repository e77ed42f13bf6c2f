#!/usr/bin/env bash
# Checks a release folder that scripts/release.sh wrote:
#
#     tests/release/release_test.sh DIST [AGAIN]
#
# its checksums; the one version in every file name, in the package, in
# --version, in the Windows executable's and installer's version
# information and in the page's manifest and offline cache; the Windows
# executable's manifest; the web zip holding every file the page's worker
# caches; the workflow that publishes a release (linted); and, given a second
# release built elsewhere (AGAIN), that every file is the same byte for byte
# (diffoscope shows how two differ). Prints "PASS: name" or "FAIL: name";
# the status is 0 when every check passed.
set -u
cd "$(dirname "$0")/../.."
root=$PWD
dist=${1:?usage: tests/release/release_test.sh DIST [AGAIN]}
again=${2:-}
version=$(scripts/version.sh)
name=tommy-zappo-$version
out=$root/build/release-test
rm -rf "$out/unpacked" && mkdir -p "$out/unpacked"
failed=0
pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1${2:+: $2}"; failed=$((failed + 1)); }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

expected=("tommy-zappo_${version}-1_amd64.deb" "$name-win64.zip" "$name-setup.exe" "$name-web.zip" "$name.tar.gz"
          SHA256SUMS RELEASE-NOTES.md)
check "the release holds its seven files, named after $version" \
    diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) <(ls "$dist" | LC_ALL=C sort)
listed_and_sound() {
    (cd "$dist" && sha256sum --quiet -c SHA256SUMS) &&
        diff <(ls "$dist" | grep -vx SHA256SUMS | LC_ALL=C sort) <(awk '{ print $2 }' "$dist/SHA256SUMS" | LC_ALL=C sort)
}
check "SHA256SUMS lists every other file, and each checks" listed_and_sound

# The text of the string named $2 in the version information of Windows
# executable $1 (a UTF-16 string table: the name, then its value).
version_string() { strings -a -el "$1" | grep -A1 -x "$2" | sed -n 2p; }
unzip -q -o "$dist/$name-win64.zip" -d "$out/unpacked/windows"
exe=$out/unpacked/windows/$name/tommy-zappo.exe
unzip -q -o "$dist/$name-web.zip" -d "$out/unpacked/web"
dpkg-deb -x "$dist/tommy-zappo_${version}-1_amd64.deb" "$out/unpacked/deb"
versions_agree() {
    local seen=(
        "package $(dpkg-deb -f "$dist/tommy-zappo_${version}-1_amd64.deb" Version)"
        "--version $("$out/unpacked/deb/usr/games/tommy-zappo" --version)"
        "exe $(version_string "$exe" ProductVersion) $(version_string "$exe" FileVersion)"
        "installer $(version_string "$dist/$name-setup.exe" ProductVersion)"
        "manifest $(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["version"])' "$out/unpacked/web/manifest.webmanifest")"
        "cache $(sed -n "s/^const CACHE = \(.*\) + BUILD;/\1/p" "$out/unpacked/web/service_worker.js")"
        "source $(tar -tzf "$dist/$name.tar.gz" | head -1)"
    )
    local wanted=("package $version-1" "--version tommy-zappo $version" "exe $version $version" "installer $version"
                  "manifest $version" "cache 'tommy-zappo-$version-'" "source $name/")
    diff <(printf '%s\n' "${wanted[@]}") <(printf '%s\n' "${seen[@]}")
}
check "one version, $version, in the package, --version, the exe, the installer, the page's manifest and cache, the source" \
    versions_agree

# The application manifest among the executable's resources: Windows then
# neither stretches the window at a high display scaling nor asks for
# administrator rights, and the message boxes take the current controls. It
# must be well-formed XML: Windows refuses to start a program whose manifest
# is not (Wine starts it all the same).
declares_dpi_awareness() {
    local manifest
    manifest=$(python3 -c 'import re, sys, xml.dom.minidom as x; m = re.search(rb"<\?xml[^>]*\?>\s*(<!--.*?-->\s*)?<assembly .*?</assembly>", open(sys.argv[1], "rb").read(), re.S); print(x.parseString(m.group()).toxml() if m else "")' "$exe")
    grep -q '<dpiAwareness[^>]*>PerMonitorV2' <<<"$manifest" && grep -q '<dpiAware[^>]*>true/pm<' <<<"$manifest" &&
        grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" &&
        grep -q 'level="asInvoker"' <<<"$manifest" && [ "$(grep -c '<supportedOS ' <<<"$manifest")" -eq 4 ]
}
check "the exe's manifest: per-monitor DPI awareness, Common Controls 6, asInvoker, Windows 7 to 11" declares_dpi_awareness

# The page's files at the zip's root: all its worker caches, with the
# headers' file and the worker itself.
web_zip_whole() {
    local files
    files=$(grep -o "'@\?[^']*;[^']*'" "$out/unpacked/web/service_worker.js" | tr -d "'" | tr ';' '\n')
    [ -n "$files" ] && [ -f "$out/unpacked/web/_headers" ] && [ -f "$out/unpacked/web/service_worker.js" ] &&
        (cd "$out/unpacked/web" && ls $files >/dev/null)
}
check "the web zip holds, at its root, every file the page's worker caches, the worker and _headers" web_zip_whole

# The workflow that publishes a tagged release, through the linter the lock
# file pins.
lint_workflow() {
    mkdir -p "$out/linter"
    cp tests/release/package.json tests/release/package-lock.json "$out/linter/"
    (cd "$out/linter" && npm ci --no-audit --no-fund --loglevel=error >/dev/null) &&
        "$out/linter/node_modules/.bin/action-validator" .github/workflows/*.yml
}
check "the release workflow passes action-validator" lint_workflow

if [ -n "$again" ]; then
    for file in "${expected[@]}"; do
        if cmp -s "$dist/$file" "$again/$file"; then
            pass "reproducible: $file"
        else
            fail "reproducible: $file" "see $out/diffoscope-$file.txt"
            diffoscope --text "$out/diffoscope-$file.txt" "$dist/$file" "$again/$file" >/dev/null 2>&1
            head -40 "$out/diffoscope-$file.txt"
        fi
    done
fi
[ "$failed" -eq 0 ]
