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

echo "== portable build under the sanitizers"
cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTRENDEL_SANITIZE=ON >/dev/null
cmake --build "$root/build/sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs"

echo "== ThreadSanitizer: the threaded tests"
# The programs that call from several threads, in a lean build of their own
# (clang, -fsanitize=thread): any data race fails the tier.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRENDEL_THREAD_SANITIZER=ON -DTRENDEL_BUILD_TOOLS=OFF >/dev/null
cmake --build "$root/build/tsan" -j "$jobs" --target safety_tests e2e_thread_tests
tsan_status=0
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$root/build/tsan" --output-on-failure -j "$jobs" \
    -R '^(ExportLock\.|FileReplacementTest\.|e2e_threads$)' \
    --output-junit "$root/build/tsan/results.xml" || tsan_status=$?
/usr/bin/python3 "$root/tools/count-test-results.py" "ThreadSanitizer" \
  "$root/build/tsan/results.xml" || tsan_status=1
[ "$tsan_status" -eq 0 ] || exit "$tsan_status"

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
