#!/bin/sh
# Builds a static libjpeg for a Windows build from Debian's libjpeg-turbo
# source package and installs it into a prefix:
#   tools/build-libjpeg-mingw.sh PREFIX TRIPLET
# TRIPLET names the cross compilers and their toolchain file in cmake/:
# i686-w64-mingw32 (32-bit) or x86_64-w64-mingw32 (64-bit).
# PREFIX/include and PREFIX/lib/libjpeg.a are reused as long as the stamp
# there names the source version Debian offers, so the library is built once
# per build folder. The sources are fetched with `apt-get source`; when no
# deb-src entry exists, one is added for the Debian archives already in use
# (that needs root).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: $0 PREFIX TRIPLET" >&2; exit 2; }
triplet=$2
toolchain="$root/cmake/$triplet.cmake"
[ -f "$toolchain" ] || { echo "build-libjpeg-mingw: no toolchain file $toolchain" >&2; exit 2; }
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
work="$prefix/work"
stamp="$prefix/libjpeg-turbo.version"

enable_source_packages() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "build-libjpeg-mingw: no deb-src entries; run as root to add them" >&2
    exit 1
  fi
  # Same archives, suites and keys as the binary entries, for sources.
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      >/etc/apt/sources.list.d/trendel-deb-src.sources
  fi
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list \
      >/etc/apt/sources.list.d/trendel-deb-src.list
  fi
  apt-get update -qq
}

# The source version apt would fetch, e.g. 1:2.1.5-2.
source_version() {
  apt-cache showsrc libjpeg-turbo 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n 1
}

version=$(source_version)
if [ -z "$version" ]; then
  enable_source_packages
  version=$(source_version)
fi
[ -n "$version" ] || { echo "build-libjpeg-mingw: no libjpeg-turbo source package" >&2; exit 1; }
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$prefix/lib/libjpeg.a" ]; then
  exit 0
fi

echo "build-libjpeg-mingw: building libjpeg-turbo $version for $triplet"
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source -qq --only-source "libjpeg-turbo=$version" >/dev/null)
source=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[ -n "$source" ] || { echo "build-libjpeg-mingw: apt-get source gave no tree" >&2; exit 1; }

# Only the static compression library is needed: no SIMD (that would need
# nasm), no TurboJPEG wrapper, no shared library, no programs.
cmake -S "$source" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/build" --target jpeg-static -j "${TRENDEL_JOBS:-2}" >/dev/null
mkdir -p "$prefix/include" "$prefix/lib"
cp "$work/build/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$work/build/jconfig.h" "$source/jpeglib.h" "$source/jmorecfg.h" "$source/jerror.h" \
  "$prefix/include/"
echo "$version" >"$stamp"
rm -rf "$work"
echo "build-libjpeg-mingw: installed into $prefix"
