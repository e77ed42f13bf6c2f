#!/usr/bin/env bash
# The game for 64-bit Windows, cross-built on Debian 12 with mingw-w64:
# builds SDL 1.2, SDL_mixer, FreeType and SDL_ttf for it (once; kept under
# build/windows-deps), the windows preset, then the zip and the installer,
# named after the version (scripts/version.sh):
#   build/windows/tommy-zappo-<version>-win64.zip
#   build/windows/tommy-zappo-<version>-setup.exe
#   scripts/windows.sh [--sources DIR] [--game-only] [deps|build|package]   (default: package)
# --game-only builds the game alone, not its tests (what a release needs).
# Both are the same bytes whoever builds them, where and when: every file
# in them carries the time SOURCE_DATE_EPOCH gives (by default the last
# commit's), the zip's entries are sorted and the installer's compressed
# the same way each time.
# SDL, SDL_mixer and FreeType come from Debian's source packages (fetched
# with a sources list of this script's own, the machine's apt setup left
# alone). SDL_ttf's source package is listed but its files are not served by
# the archive some machines reach: its upstream source is then taken from the
# folder of source tarballs DIR (or $TZ_SOURCES), checked against the
# checksum below; Debian's packages are checked by apt and dpkg-source.
set -eu
sources_dir=${TZ_SOURCES:-}
step=package
targets=()
while [ $# -gt 0 ]; do
    case $1 in
    --sources) sources_dir=$2; shift 2 ;;
    --game-only) targets=(--target tommy-zappo); shift ;;
    deps | build | package) step=$1; shift ;;
    *) echo "usage: scripts/windows.sh [--sources DIR] [--game-only] [deps|build|package]" >&2; exit 2 ;;
    esac
done
[ -z "$sources_dir" ] || sources_dir=$(cd "$sources_dir" && pwd)
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh g++-mingw-w64-x86-64 pkg-config dpkg-dev make cmake ninja-build nsis zip googletest ||
    { echo "could not install the Windows build's packages" >&2; exit 1; }

host=x86_64-w64-mingw32
deps=$root/build/windows-deps
prefix=$deps/prefix
ttf_tarball=SDL_ttf-2.0.11-src.tar.gz
ttf_sha256=a10c4cfdc1ab789de0e9867fc31500e92fb91afece3baed871df4c35a641ae00

# The -posix compilers: the win32 thread model has no std::mutex.
export CC=$host-gcc-posix CXX=$host-g++-posix
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH=
export PATH=$prefix/bin:$PATH

# Downloads Debian 12's source package $1 into $deps/src and unpacks it
# (with Debian's patches) into $deps/src/$1.
debian_source() {
    local apt_dir=$deps/apt
    if [ ! -f "$apt_dir/lists/.updated" ]; then
        mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial"
        cat >"$apt_dir/sources.list.d/bookworm-src.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        apt-get -q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
            -o Dir::State::Lists="$apt_dir/lists" update >"$deps/apt.log" 2>&1 || { cat "$deps/apt.log"; exit 1; }
        touch "$apt_dir/lists/.updated"
    fi
    mkdir -p "$deps/src/download-$1"
    (cd "$deps/src/download-$1" &&
        apt-get -q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" \
            -o Dir::State::Lists="$apt_dir/lists" source --download-only "$1" >>"$deps/apt.log" 2>&1) ||
        { cat "$deps/apt.log"; exit 1; }
    rm -rf "$deps/src/$1"
    dpkg-source -x "$deps/src/download-$1"/*.dsc "$deps/src/$1" >>"$deps/apt.log" 2>&1 || { cat "$deps/apt.log"; exit 1; }
}

build_deps() {
    mkdir -p "$deps/src" "$prefix"
    # No link time in the DLLs' headers and export tables: a release made
    # with libraries built afresh is the same file.
    export LDFLAGS=-Wl,--no-insert-timestamp
    local log=$deps/build.log
    : >"$log"
    echo "building SDL 1.2, SDL_mixer, FreeType and SDL_ttf for $host (log: $log)"
    debian_source libsdl1.2
    (cd "$deps/src/libsdl1.2" &&
        ./configure --host=$host --prefix="$prefix" --disable-stdio-redirect --disable-static &&
        make -j2 && make install) >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
    # Debian's patch cuts the link line to -lSDL; a Windows program needs the
    # entry stub (SDLmain) and the windowed subsystem as upstream has them.
    sed -i 's/^Libs: .*/Libs: -L${libdir} -lmingw32 -lSDLmain -lSDL -mwindows/' "$prefix/lib/pkgconfig/sdl.pc"
    sed -i 's/-lSDL$/-lmingw32 -lSDLmain -lSDL -mwindows/; s/-lSDL /-lmingw32 -lSDLmain -lSDL -mwindows /' "$prefix/bin/sdl-config"
    debian_source sdl-mixer1.2
    local no_music=""
    for music in cmd wave mod midi ogg flac mp3 mp3-mad-gpl; do no_music="$no_music --disable-music-$music"; done
    # shellcheck disable=SC2086
    (cd "$deps/src/sdl-mixer1.2" &&
        ./configure --host=$host --prefix="$prefix" --disable-static --with-sdl-prefix="$prefix" $no_music &&
        make -j2 build/libSDL_mixer.la && make install-hdrs install-lib) >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
    debian_source freetype
    (cd "$deps/src/freetype" &&
        ./configure --host=$host --prefix="$prefix" --disable-static --without-zlib --without-bzip2 \
            --without-png --without-harfbuzz --without-brotli &&
        make -j2 && make install) >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
    # SDL_ttf's configure asks freetype-config, which FreeType no longer installs.
    cat >"$prefix/bin/freetype-config" <<EOF
#!/bin/sh
case \$1 in
--cflags) PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig exec pkg-config --cflags freetype2 ;;
--libs) PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig exec pkg-config --libs freetype2 ;;
--prefix | --exec-prefix) echo $prefix ;;
--version) PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig exec pkg-config --modversion freetype2 ;;
esac
EOF
    chmod +x "$prefix/bin/freetype-config"
    if [ -n "$sources_dir" ] && [ -f "$sources_dir/$ttf_tarball" ]; then
        echo "$ttf_sha256  $sources_dir/$ttf_tarball" | sha256sum -c --quiet - ||
            { echo "checksum mismatch: $sources_dir/$ttf_tarball" >&2; exit 1; }
        rm -rf "$deps/src/sdl-ttf2.0" "$deps/src/SDL_ttf-2.0.11"
        tar -xzf "$sources_dir/$ttf_tarball" -C "$deps/src"
        mv "$deps/src/SDL_ttf-2.0.11" "$deps/src/sdl-ttf2.0"
    else
        debian_source sdl-ttf2.0
    fi
    (cd "$deps/src/sdl-ttf2.0" &&
        ./configure --host=$host --prefix="$prefix" --disable-static --with-sdl-prefix="$prefix" \
            --with-freetype-prefix="$prefix" --without-x &&
        make -j2 libSDL_ttf.la && make install-libSDL_ttfincludeHEADERS install-libLTLIBRARIES install-pkgconfigDATA) \
        >>"$log" 2>&1 || { tail -40 "$log"; exit 1; }
    # The licences the zip and the installer carry beside the libraries.
    mkdir -p "$prefix/share/licenses"
    cp "$deps/src/libsdl1.2/COPYING" "$prefix/share/licenses/SDL.txt"
    cp "$deps/src/sdl-mixer1.2/COPYING" "$prefix/share/licenses/SDL_mixer.txt"
    cp "$deps/src/sdl-ttf2.0/COPYING" "$prefix/share/licenses/SDL_ttf.txt"
    cp "$deps/src/freetype/docs/FTL.TXT" "$prefix/share/licenses/FreeType.txt"
    touch "$prefix/.complete"
}

[ -f "$prefix/.complete" ] || build_deps
[ "$step" = deps ] && exit 0

cmake --preset windows >"$root/build/windows-configure.log" 2>&1 || { cat "$root/build/windows-configure.log"; exit 1; }
cmake --build --preset windows -j2 "${targets[@]}"
[ "$step" = build ] && exit 0

# The files a player gets, in build/windows/package: the executable, SDL's
# four DLLs, README.txt and the licences (the project's with the fonts', and
# the libraries'); zipped in one folder, and wrapped in the installer.
version=$(scripts/version.sh)
# strip writes this time into each PE header, the zip and the installer keep
# it as every file's.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH
out=$root/build/windows
name=tommy-zappo-$version
package=$out/package/$name
rm -rf "$out/package" "$out"/tommy-zappo-*-win64.zip "$out"/tommy-zappo-*-setup.exe
mkdir -p "$package/licenses"
cp "$out/tommy-zappo.exe" "$out/SDL.dll" "$out/SDL_mixer.dll" "$out/SDL_ttf.dll" "$out/libfreetype-6.dll" \
    "$out/README.txt" "$package/"
$host-strip --strip-unneeded "$package"/*.exe "$package"/*.dll
cp "$prefix"/share/licenses/*.txt "$package/licenses/"
cp debian/copyright "$package/licenses/TOMMY-ZAPPO.txt"
# Whatever the umask and the clock: the same modes and one time on every file.
find "$package" -type d -exec chmod 755 {} + && find "$package" -type f -exec chmod 644 {} +
find "$package" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$out/package" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$out/$name-win64.zip")
makensis -V2 -DSOURCE="$package" -DOUTPUT="$out/$name-setup.exe" -DICON="$root/data/icons/tommy-zappo.ico" \
    -DVERSION="$version" data/windows/installer.nsi >"$out/makensis.log" 2>&1 || { cat "$out/makensis.log"; exit 1; }
echo "$out/$name-win64.zip"
echo "$out/$name-setup.exe"
