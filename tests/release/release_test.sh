#!/usr/bin/env bash
# Checks a folder scripts/release.sh wrote (DIST), and that a second release
# built elsewhere (AGAIN) is the same byte for byte; diffoscope shows how two
# files differ. One "PASS: name" or "FAIL: name" line a check.
#     tests/release/release_test.sh DIST [AGAIN]
set -u
cd "$(dirname "$0")/../.."
dist=${1:?usage: tests/release/release_test.sh DIST [AGAIN]} again=${2:-}
version=$(scripts/version.sh) out=$PWD/build/release-test failed=0
name=tommy-zappo-$version deb=tommy-zappo_${version}-1_amd64.deb
check() { local what=$1; shift; if "$@"; then echo "PASS: $what"; else echo "FAIL: $what"; failed=$((failed + 1)); return 1; fi; }
files=("$deb" "$name-win64.zip" "$name-setup.exe" "$name-web.zip" "$name.tar.gz" SHA256SUMS RELEASE-NOTES.md)
rm -rf "$out/unpacked" && mkdir -p "$out/unpacked"
unzip -q "$dist/$name-win64.zip" -d "$out/unpacked/windows" && unzip -q "$dist/$name-web.zip" -d "$out/unpacked/web"
dpkg-deb -x "$dist/$deb" "$out/unpacked/deb"
exe=$out/unpacked/windows/$name/tommy-zappo.exe web=$out/unpacked/web

check "the release holds its seven files, named after $version" \
    diff <(printf '%s\n' "${files[@]}" | LC_ALL=C sort) <(ls "$dist" | LC_ALL=C sort)
check "SHA256SUMS lists every other file, and each checks" eval '(cd "$dist" && sha256sum --quiet -c SHA256SUMS) &&
    diff <(ls "$dist" | grep -vx SHA256SUMS) <(awk "{ print \$2 }" "$dist/SHA256SUMS" | LC_ALL=C sort)'

# The string named $2 in a Windows executable's version information: UTF-16,
# the name, then its value.
version_string() { strings -a -el "$1" | grep -A1 -x "$2" | sed -n 2p; }
versions() {
    echo "package $(dpkg-deb -f "$dist/$deb" Version)"
    echo "--version $("$out/unpacked/deb/usr/games/tommy-zappo" --version)"
    echo "exe $(version_string "$exe" ProductVersion) $(version_string "$exe" FileVersion)"
    echo "installer $(version_string "$dist/$name-setup.exe" ProductVersion)"
    echo "manifest $(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["version"])' "$web/manifest.webmanifest")"
    echo "cache $(sed -n "s/^const CACHE = \(.*\) + BUILD;/\1/p" "$web/service_worker.js")"
    echo "source $(tar -tzf "$dist/$name.tar.gz" | head -1)"
}
check "one version, $version, in the package, --version, the exe, the installer, the page's manifest and cache, the source" \
    diff <(printf '%s\n' "package $version-1" "--version tommy-zappo $version" "exe $version $version" \
        "installer $version" "manifest $version" "cache 'tommy-zappo-$version-'" "source $name/") <(versions)

# The exe's application manifest, which must be well-formed XML: Windows
# refuses to start a program whose manifest is not (Wine starts it anyway).
manifest=$(python3 -c 'import re, sys, xml.dom.minidom as x
m = re.search(rb"<\?xml[^>]*\?>\s*(<!--.*?-->\s*)?<assembly .*?</assembly>", open(sys.argv[1], "rb").read(), re.S)
print(x.parseString(m.group()).toxml() if m else "")' "$exe")
check "the exe's manifest: per-monitor DPI awareness, Common Controls 6, asInvoker, Windows 7 to 11" eval \
    'grep -q "<dpiAwareness[^>]*>PerMonitorV2" <<<"$manifest" && grep -q "<dpiAware[^>]*>true/pm<" <<<"$manifest" &&
     grep -q "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"" <<<"$manifest" &&
     grep -q "level=\"asInvoker\"" <<<"$manifest" && [ "$(grep -c "<supportedOS " <<<"$manifest")" -eq 4 ]'

cached=$(sed -n "s/^const FILES = \['\.\/'\]\.concat('\(.*\)'\.split.*/\1/p" "$web/service_worker.js" | tr ';' ' ')
check "the web zip holds, at its root, every file the page's worker caches, the worker and _headers" \
    eval '[ -n "$cached" ] && (cd "$web" && ls $cached _headers service_worker.js >/dev/null)'

lint() {
    mkdir -p "$out/linter" && cp tests/release/package.json tests/release/package-lock.json "$out/linter/" &&
        (cd "$out/linter" && npm ci --no-audit --no-fund --loglevel=error >/dev/null) &&
        "$out/linter/node_modules/.bin/action-validator" .github/workflows/*.yml
}
check "the release workflow passes action-validator (pinned in tests/release/package-lock.json)" lint

for file in ${again:+"${files[@]}"}; do
    check "reproducible: $file" cmp -s "$dist/$file" "$again/$file" ||
        { diffoscope --text "$out/diffoscope-$file.txt" "$dist/$file" "$again/$file" >/dev/null 2>&1
          head -40 "$out/diffoscope-$file.txt"; }
done
[ "$failed" -eq 0 ]
