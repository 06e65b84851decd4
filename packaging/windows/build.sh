#!/bin/bash
# Builds KAVR.IM for 64-bit Windows on Debian 12 and packs build-windows/KAVR.IM-<version>-win64.zip.
#
#   packaging/windows/build.sh [--jobs N] [--tests]
#
# Everything comes from Debian: the MinGW-w64 cross compilers and Wine as packages; Qt,
# libjpeg-turbo, libxlsxwriter and zlib as Debian source packages (apt-get source), cross-built
# once, statically, into ~/.cache/kavr-im/ under their versions; a later run finds them there
# and builds KAVR.IM only.
# Installing packages and adding a deb-src entry need root (or sudo); nothing else does.
# --tests also builds the widget-free tests and runs them under Wine (ctest label unit).
set -euo pipefail

jobs=$(nproc)
tests=0
while [ $# -gt 0 ]; do
    case $1 in
        --jobs) jobs=$2; shift 2 ;;
        --jobs=*) jobs=${1#--jobs=}; shift ;;
        --tests) tests=1; shift ;;
        *) echo "usage: $0 [--jobs N] [--tests]" >&2; exit 2 ;;
    esac
done

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=$HOME/.cache/kavr-im
build=$root/build-windows
# The cross builds yield to everything else on the machine.
nice=(nice -n 10)
source "$root/scripts/common.sh"   # kavr_install_packages

started=$(date +%s)
step_started=$started
step() {
    local now
    now=$(date +%s)
    [ -z "${step_name:-}" ] || printf '== %s: %d s\n' "$step_name" $((now - step_started))
    step_name=$1
    step_started=$now
    [ -z "$step_name" ] || echo "== $step_name"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

step "Debian packages"
kavr_install_packages \
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
    cmake ninja-build perl xz-utils dpkg-dev \
    qt6-base-dev qt6-base-dev-tools python3-pefile \
    wine wine64 fonts-wine

step "Debian sources"
# apt-get source needs a deb-src entry: the suite this machine installs from, added only when
# apt has none at all.
if ! grep -Eqs '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; then
    . /etc/os-release
    uri=$(awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $2 !~ /security/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
    echo "Adding a deb-src entry: $uri $VERSION_CODENAME"
    as_root tee /etc/apt/sources.list.d/kavr-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: ${uri:-http://deb.debian.org/debian}
Suites: $VERSION_CODENAME
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    as_root apt-get update -qq
fi

# source_version PACKAGE: the version apt-get source would fetch, with its epoch where it has
# one (libjpeg-turbo's is 1:…): apt-get source NAME=VERSION finds nothing without it. The newest
# of the versions apt knows, as apt-get source itself chooses.
source_version() {
    local versions
    versions=$(apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ {print $2}')
    if [ -z "$versions" ]; then
        as_root apt-get update -qq
        versions=$(apt-cache showsrc --only-source "$1" | awk '/^Version:/ {print $2}')
    fi
    [ -n "$versions" ] || { echo "apt-get source knows no $1" >&2; exit 1; }
    local newest='' version
    for version in $versions; do
        if [ -z "$newest" ] || dpkg --compare-versions "$version" gt "$newest"; then newest=$version; fi
    done
    echo "$newest"
}
# The file name of a source package's .dsc carries no epoch.
without_epoch() { echo "${1#*:}"; }
qt_version=$(source_version qt6-base)
jpeg_version=$(source_version libjpeg-turbo)
zlib_version=$(source_version zlib)
xlsx_version=$(source_version libxlsxwriter)
echo "qt6-base $qt_version, libjpeg-turbo $jpeg_version, zlib $zlib_version, libxlsxwriter $xlsx_version"
# Files and cached builds are named without the epoch.
qt_tag=$(without_epoch "$qt_version")
jpeg_tag=$(without_epoch "$jpeg_version")
zlib_tag=$(without_epoch "$zlib_version")
xlsx_tag=$(without_epoch "$xlsx_version")
sources=(qt6-base="$qt_version" libjpeg-turbo="$jpeg_version" zlib="$zlib_version"
    libxlsxwriter="$xlsx_version")

# Asked every run, cached or not, so that a machine whose cache holds the sources still meets
# what a fresh machine meets: apt must name the exact packages it would fetch.
for package in "${sources[@]}"; do
    apt-get source --print-uris -qq "$package" | grep -q '\.dsc' \
        || { echo "apt-get source cannot fetch $package" >&2; exit 1; }
done

mkdir -p "$cache/src" "$cache/build"
for package in "${sources[@]}"; do
    name=${package%%=*} version=${package#*=}
    if [ ! -f "$cache/src/${name}_$(without_epoch "$version").dsc" ]; then
        (cd "$cache/src" && apt-get source --download-only "$package")
    fi
done

# The toolchain file the cached libraries were configured with; the installed Qt refers to it
# by this path.
toolchain=$cache/mingw-toolchain.cmake
cmp -s "$here/mingw-w64.cmake" "$toolchain" || cp "$here/mingw-w64.cmake" "$toolchain"

# unpack ORIG_TARBALL DIR: the upstream tree of a source package, unpacked once into DIR.
unpack() {
    local tarball=$1 dir=$2 top
    [ -d "$dir" ] && return 0
    mkdir -p "$dir.part"
    tar -C "$dir.part" -xf "$tarball"
    top=$(ls "$dir.part")
    mv "$dir.part/$top" "$dir"
    rmdir "$dir.part"
}

step "libjpeg-turbo $jpeg_version (static, for Windows)"
jpeg_prefix=$cache/jpeg-$jpeg_tag-mingw64-static
if [ -f "$jpeg_prefix/lib/libjpeg.a" ] && [ -f "$jpeg_prefix/include/jpeglib.h" ]; then
    echo "cached in $jpeg_prefix"
else
    jpeg_build=$cache/build/jpeg-$jpeg_tag
    unpack "$(ls "$cache"/src/libjpeg-turbo_"${jpeg_tag%-*}".orig.tar.*)" "$jpeg_build/src"
    "${nice[@]}" cmake -S "$jpeg_build/src" -B "$jpeg_build/obj" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >/dev/null
    "${nice[@]}" cmake --build "$jpeg_build/obj" -j "$jobs"
    cmake --install "$jpeg_build/obj" >/dev/null
fi

step "libxlsxwriter $xlsx_version with zlib $zlib_version (static, for Windows)"
# One prefix for both: libxlsxwriter is built against this zlib and links with it.
xlsx_prefix=$cache/xlsxwriter-$xlsx_tag-zlib-$zlib_tag-mingw64-static
if [ -f "$xlsx_prefix/lib/libxlsxwriter.a" ] && [ -f "$xlsx_prefix/lib/libz.a" ] \
        && [ -f "$xlsx_prefix/include/xlsxwriter.h" ] && [ -f "$xlsx_prefix/include/zlib.h" ]; then
    echo "cached in $xlsx_prefix"
else
    zlib_build=$cache/build/zlib-$zlib_tag
    unpack "$(ls "$cache"/src/zlib_"${zlib_tag%-*}".orig.tar.*)" "$zlib_build/src"
    # zlib's CMake project always adds its DLL and example programs: only the static library is
    # built, and installed by hand under the name the linker looks for.
    "${nice[@]}" cmake -S "$zlib_build/src" -B "$zlib_build/obj" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
    "${nice[@]}" cmake --build "$zlib_build/obj" -j "$jobs" --target zlibstatic
    install -D -m 644 "$zlib_build/obj/libzlibstatic.a" "$xlsx_prefix/lib/libz.a"
    install -D -m 644 -t "$xlsx_prefix/include" "$zlib_build/src/zlib.h" "$zlib_build/obj/zconf.h"

    xlsx_build=$cache/build/xlsxwriter-$xlsx_tag
    unpack "$(ls "$cache"/src/libxlsxwriter_"${xlsx_tag%-*}".orig.tar.*)" "$xlsx_build/src"
    # The upstream tree with the minizip it carries (Debian links its system minizip instead).
    # Numbers are printed as Debian's own build prints them (printf, not the bundled dtoa); a
    # Windows program stays in the C locale, so their decimal mark is a point.
    "${nice[@]}" cmake -S "$xlsx_build/src" -B "$xlsx_build/obj" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$xlsx_prefix" -DBUILD_SHARED_LIBS=OFF \
        -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF \
        -DZLIB_INCLUDE_DIR="$xlsx_prefix/include" -DZLIB_LIBRARY="$xlsx_prefix/lib/libz.a" >/dev/null
    "${nice[@]}" cmake --build "$xlsx_build/obj" -j "$jobs"
    cmake --install "$xlsx_build/obj" >/dev/null
fi

step "Qt $qt_version (static, for Windows)"
qt_prefix=$cache/qt-$qt_tag-mingw64-static
if [ -x "$qt_prefix/bin/qt-cmake" ] && [ -f "$qt_prefix/lib/libQt6Widgets.a" ] \
        && [ -f "$qt_prefix/lib/libQt6Test.a" ] && [ -f "$qt_prefix/plugins/platforms/libqwindows.a" ]; then
    echo "cached in $qt_prefix"
else
    qt_build=$cache/build/qt-$qt_tag
    # Debian's own build is for Linux; the upstream tree in the .orig tarball builds for Windows
    # as it is.
    unpack "$(ls "$cache"/src/qt6-base_"${qt_tag%-*}".orig.tar.*)" "$qt_build/src"
    mkdir -p "$qt_build/obj"
    # Host tools (moc, rcc, uic) come from Debian's Qt of the same version. The Windows
    # platform plugin keeps Direct2D (the DirectWrite font engine needs it); Debian's tarball
    # has no wintab, hence no tablet events.
    [ -f "$qt_build/obj/build.ninja" ] || (cd "$qt_build/obj" && "${nice[@]}" "$qt_build/src/configure" \
        -prefix "$qt_prefix" -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
        -qt-host-path /usr -release -static -static-runtime -nomake examples -nomake tests \
        -no-opengl -no-dbus -no-icu -no-feature-vulkan -qt-zlib -qt-pcre -qt-harfbuzz -qt-libpng \
        -no-libjpeg -no-freetype -no-feature-sql -no-feature-network -no-feature-printsupport \
        -no-feature-concurrent -no-feature-xml -no-feature-tabletevent -feature-testlib -- -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
    (cd "$qt_build/obj" && "${nice[@]}" ninja -j "$jobs" && ninja install >/dev/null)
fi

step "KAVR.IM"
# CI builds with warnings as errors, as on Linux.
strict=()
[ "${CI:-}" != true ] || strict=(-DKAVR_WERROR=ON)
"${nice[@]}" "$qt_prefix/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    "${strict[@]}" -DKAVR_JPEG_PREFIX="$jpeg_prefix" \
    -DKAVR_XLSXWRITER_PREFIX="$xlsx_prefix" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-run.sh" >/dev/null
"${nice[@]}" cmake --build "$build" -j "$jobs" --target kavr_windows_zip

if [ "$tests" -eq 1 ]; then
    step "Widget-free tests under Wine"
    "${nice[@]}" cmake --build "$build" -j "$jobs"
    ctest --test-dir "$build" --output-on-failure -j "$jobs" -L '^unit$'
fi

step ""
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
printf '== total: %d s\n' $(($(date +%s) - started))
echo "$build/KAVR.IM-$version-win64.zip"
