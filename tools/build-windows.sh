#!/bin/sh
# Builds the 32-bit Windows DLL with the mingw-w64 cross compiler, in one
# command, from a fresh clone (as root the first time, to install packages):
#   tools/build-windows.sh [BUILD_FOLDER]          (default build/windows)
# libjpeg is built from Debian's sources on first use and kept in
# build/deps. What a host needs lands in BUILD_FOLDER/dist:
#   bin/Trendel.dll         the DLL (PE32, i386, six __stdcall exports)
#   bin/win32-demo.exe      the demo host
#   lib/libTrendel.dll.a    import library for MinGW
#   lib/Trendel.lib         import library for MSVC
#   lib/trendel.def         the export table
#   include/trendel.h       the header
# Set TRENDEL_BUILD_TESTS=OFF to leave out the Windows test programs.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/windows}
jobs=${TRENDEL_JOBS:-$(nproc)}
libjpeg="$root/build/deps/libjpeg-i686"

"$root/tools/install-dependencies.sh" --windows
TRENDEL_JOBS=$jobs "$root/tools/build-libjpeg-mingw.sh" "$libjpeg"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
  -DJPEG_INCLUDE_DIR="$libjpeg/include" -DJPEG_LIBRARY="$libjpeg/lib/libjpeg.a" \
  -DTRENDEL_BUILD_TESTS="${TRENDEL_BUILD_TESTS:-ON}" >/dev/null
cmake --build "$build" -j "$jobs"
cmake --install "$build" --prefix "$build/dist" >/dev/null
echo "build-windows: artefacts in $build/dist"
