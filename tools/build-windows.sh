#!/bin/sh
# Builds the Windows DLLs with the mingw-w64 cross compilers, in one command,
# from a fresh clone (as root the first time, to install packages):
#   tools/build-windows.sh [BUILD_FOLDER [ARCHITECTURE...]]
# BUILD_FOLDER defaults to build/windows; the architectures are x86 (32-bit)
# and x64 (64-bit), both by default. Each is built in BUILD_FOLDER/ARCHITECTURE;
# libjpeg is built from Debian's sources on first use and kept in build/deps.
# What a host needs lands in BUILD_FOLDER/ARCHITECTURE/dist:
#   bin/Trendel.dll         the DLL (x86: PE32, six __stdcall exports;
#                           x64: PE32+, the same six exports)
#   bin/win32-demo.exe      the demo host
#   lib/libTrendel.dll.a    import library for MinGW
#   lib/Trendel.lib         import library for MSVC
#   lib/trendel.def         the export table
#   include/trendel.h       the header
# The test programs of both run in one Wine prefix, BUILD_FOLDER/wineprefix.
# Set TRENDEL_BUILD_TESTS=OFF to leave out the Windows test programs.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows}
[ $# -gt 0 ] && shift
architectures=${*:-x86 x64}
jobs=${TRENDEL_JOBS:-$(nproc)}

"$root/tools/install-dependencies.sh" --windows
mkdir -p "$build"
build=$(cd "$build" && pwd)
for architecture in $architectures; do
  case $architecture in
    x86) triplet=i686-w64-mingw32 ;;
    x64) triplet=x86_64-w64-mingw32 ;;
    *) echo "build-windows: unknown architecture $architecture (x86 or x64)" >&2; exit 2 ;;
  esac
  libjpeg="$root/build/deps/libjpeg-${triplet%%-*}"
  TRENDEL_JOBS=$jobs "$root/tools/build-libjpeg-mingw.sh" "$libjpeg" "$triplet"
  cmake -S "$root" -B "$build/$architecture" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$triplet.cmake" \
    -DJPEG_INCLUDE_DIR="$libjpeg/include" -DJPEG_LIBRARY="$libjpeg/lib/libjpeg.a" \
    -DTRENDEL_WINE_PREFIX="$build/wineprefix" \
    -DTRENDEL_BUILD_TESTS="${TRENDEL_BUILD_TESTS:-ON}" >/dev/null
  cmake --build "$build/$architecture" -j "$jobs"
  cmake --install "$build/$architecture" --prefix "$build/$architecture/dist" >/dev/null
  echo "build-windows: $architecture artefacts in $build/$architecture/dist"
done
