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

echo "== Python package, installed into a fresh venv and tested from outside the clone"
# Debian's interpreter and its numpy, pandas, Pillow and pytest; the package
# builds its own libtrendel.so (Release, the library target only).
venv="$root/build/python-venv"
rm -rf "$venv"
python_status=0
/usr/bin/python3 -m venv --system-site-packages "$venv"
env -u TRENDEL_LIBRARY TRENDEL_JOBS="$jobs" "$venv/bin/pip" install --quiet \
  --no-build-isolation "$root/python" || python_status=1
python_work=$(mktemp -d)
if [ $python_status -eq 0 ]; then
  # pytest's status 5, no tests collected, fails the tier like any other.
  (cd "$python_work" && env -u TRENDEL_LIBRARY TRENDEL_EXPECT_INSTALLED=1 \
    "$venv/bin/python" -m pytest -q -p no:cacheprovider --junitxml="$venv/results.xml" \
    "$root/python/tests") || python_status=1
fi
rm -rf "$python_work"
/usr/bin/python3 - "$venv/results.xml" "$python_status" <<'COUNT'
import os, sys, xml.etree.ElementTree as ElementTree
passed = failed = 0
if os.path.exists(sys.argv[1]):
    for suite in ElementTree.parse(sys.argv[1]).getroot().iter("testsuite"):
        bad = int(suite.get("failures", 0)) + int(suite.get("errors", 0))
        passed += int(suite.get("tests", 0)) - bad - int(suite.get("skipped", 0))
        failed += bad
if sys.argv[2] != "0" and failed == 0:
    failed = 1
print(f"Python: {passed} passed, {failed} failed")
COUNT
[ $python_status -eq 0 ] || exit 1

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
