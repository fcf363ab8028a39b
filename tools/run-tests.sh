#!/bin/sh
# Every test: installs what is needed, builds, and runs the whole suite, first
# as shipped, then again, every program of it, under AddressSanitizer and
# UndefinedBehaviorSanitizer; fuzzes each fuzz target for a while (the BMP
# reader, one graph through the exports, calls in any order); and builds the
# 32-bit Windows DLL and runs its tests under Wine on a virtual screen, with
# the cross-check of the two builds.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/tools/install-dependencies.sh" --windows

echo "== portable build"
cmake -S "$root" -B "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRENDEL_BUILD_BENCH=ON >/dev/null
cmake --build "$root/build/test" -j "$jobs"
ctest --test-dir "$root/build/test" --output-on-failure -j "$jobs"

echo "== the chart viewer on a virtual screen"
# trendel-view of the portable build above, on one Xvfb server for all its
# checks; the window tests run only where TRENDEL_TEST_DISPLAY names a display.
viewer_status=0
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" sh -c '
  TRENDEL_TEST_DISPLAY=$DISPLAY ctest --test-dir "$1" -R "^trendel_view" --output-on-failure \
    --test-output-size-passed 100000 --output-junit "$1/viewer-results.xml"' viewer-tier \
  "$root/build/test" || viewer_status=1
/usr/bin/python3 "$root/tools/count-test-results.py" "Viewer" "$root/build/test/viewer-results.xml" ||
  viewer_status=1
[ $viewer_status -eq 0 ] || exit 1

echo "== portable build under the sanitizers"
cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTRENDEL_SANITIZE=ON >/dev/null
cmake --build "$root/build/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs"

echo "== fuzzing, 40 s per target"
"$root/tools/run-fuzz.sh" 40

echo "== 32-bit Windows build, tested under Wine"
TRENDEL_JOBS=$jobs "$root/tools/build-windows.sh" "$root/build/windows"
"$root/tools/wine-prefix.sh" "$root/build/windows/wineprefix"
# One virtual screen for the whole tier: the tests' windows, the demo host and
# the Windows half of the cross-check of the builds (tools/cross-check.sh).
windows_status=0
xvfb-run --auto-servernum --server-args="-screen 0 2048x1536x24" sh -c '
  status=0
  ctest --test-dir "$1/build/windows" --output-on-failure \
    --output-junit "$1/build/windows/results.xml" || status=1
  "$1/tools/cross-check.sh" "$1/build/test" "$1/build/windows" "$1/build/cross-check" || status=1
  exit $status' windows-tier "$root" || windows_status=$?
/usr/bin/python3 "$root/tools/count-test-results.py" "Windows tier" \
  "$root/build/windows/results.xml" "$root/build/cross-check/report.txt"
exit $windows_status
