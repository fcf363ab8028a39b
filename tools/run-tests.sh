#!/bin/sh
# Every test: installs what is needed, builds, and runs the suite in tiers:
#   Portable      the whole suite
#   Python        the trendel package installed into a fresh venv, its pytest
#                 suite run from outside the clone
#   Viewer        trendel-view of the portable build in real windows on a
#                 virtual screen
#   Sanitizers    the whole suite again, every program of it built with
#                 AddressSanitizer and UndefinedBehaviorSanitizer
#   ThreadSanitizer  the programs that call from several threads, built with
#                 clang's -fsanitize=thread: any data race fails it
#   Fuzzing       each fuzz target for a while (the BMP reader, one graph
#                 through the exports, calls in any order)
#   x64 Windows   the 64-bit DLL and its tests under Wine on a virtual screen,
#                 with the cross-check of the two builds
#   x86 Windows   the same for the 32-bit DLL; on a machine that cannot
#                 execute 32-bit programs only its static checks, and a line
#                 that says what was skipped
#
# A tier is a function below, run by `run_tier NAME FUNCTION` in a shell of
# its own under `set -e`: its first failing command ends that tier, never
# the script. The tier records its line "NAME: N passed, N failed" (",
# N skipped" where it skipped something) in $TRENDEL_TEST_SUMMARY;
# tools/count-test-results.py writes it from a CTest JUnit file. A tier that
# records no line counts as one check, passed or failed by its exit status.
# The script ends with every tier's line and their total, and fails when any
# tier failed.
#
# TRENDEL_ASSUME_NO_32_BIT=1 runs the x86 Windows tier as on a machine that
# cannot execute 32-bit programs.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

count() {
  /usr/bin/python3 "$root/tools/count-test-results.py" "$@"
}

tier_portable() {
  cmake -S "$root" -B "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRENDEL_BUILD_BENCH=ON >/dev/null
  cmake --build "$root/build/test" -j "$jobs"
  status=0
  ctest --test-dir "$root/build/test" --output-on-failure -j "$jobs" \
    --output-junit "$root/build/test/results.xml" || status=$?
  count Portable "$root/build/test/results.xml" || status=1
  exit $status
}

# Debian's interpreter and its numpy, pandas, Pillow and pytest; the package
# builds its own libtrendel.so (Release, the library target only).
tier_python() {
  venv="$root/build/python-venv"
  rm -rf "$venv"
  /usr/bin/python3 -m venv --system-site-packages "$venv"
  env -u TRENDEL_LIBRARY TRENDEL_JOBS="$jobs" "$venv/bin/pip" install --quiet \
    --no-build-isolation "$root/python"
  python_work=$(mktemp -d)
  status=0
  # pytest's status 5, no tests collected, fails the tier like any other.
  (cd "$python_work" && env -u TRENDEL_LIBRARY TRENDEL_EXPECT_INSTALLED=1 \
    "$venv/bin/python" -m pytest -q -p no:cacheprovider --junitxml="$venv/results.xml" \
    "$root/python/tests") || status=1
  rm -rf "$python_work"
  count Python "$venv/results.xml" --pytest || status=1
  exit $status
}

# trendel-view of the portable build, on one Xvfb server for all its checks;
# its window tests run only where TRENDEL_TEST_DISPLAY names a display.
tier_viewer() {
  status=0
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" sh -c '
    TRENDEL_TEST_DISPLAY=$DISPLAY ctest --test-dir "$1" -R "^trendel_view" --output-on-failure \
      --test-output-size-passed 100000 --output-junit "$1/viewer-results.xml"' viewer-tier \
    "$root/build/test" || status=1
  count Viewer "$root/build/test/viewer-results.xml" || status=1
  exit $status
}

tier_sanitizers() {
  cmake -S "$root" -B "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTRENDEL_SANITIZE=ON >/dev/null
  cmake --build "$root/build/sanitize" -j "$jobs"
  status=0
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build/sanitize" --output-on-failure -j "$jobs" \
    --output-junit "$root/build/sanitize/results.xml" || status=$?
  count Sanitizers "$root/build/sanitize/results.xml" || status=1
  exit $status
}

# The programs that call from several threads, in a lean build of their own
# (clang, -fsanitize=thread): any data race fails the tier.
tier_thread_sanitizer() {
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRENDEL_THREAD_SANITIZER=ON -DTRENDEL_BUILD_TOOLS=OFF >/dev/null
  cmake --build "$root/build/tsan" -j "$jobs" --target safety_tests e2e_thread_tests
  status=0
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir "$root/build/tsan" --output-on-failure -j "$jobs" \
      -R '^(ExportLock\.|FileReplacementTest\.|e2e_threads$)' \
      --output-junit "$root/build/tsan/results.xml" || status=$?
  count ThreadSanitizer "$root/build/tsan/results.xml" || status=1
  exit $status
}

tier_fuzzing() {
  "$root/tools/run-fuzz.sh" 40
}

# One Windows tier: builds the DLL of ARCHITECTURE (x86 or x64) with its test
# programs, runs them under Wine in the prefix both architectures share, and
# cross-checks the DLL's pictures against the portable build's (the Portable
# tier builds that). Where the machine cannot run the architecture's
# programs, only the tests labelled "static" run, and everything else counts
# as skipped.
windows_tier() {
  architecture=$1
  name="$architecture Windows"
  build="$root/build/windows"
  tests="$build/$architecture"
  cross_check="$root/build/cross-check/$architecture"
  # Results of an earlier run must not stand in for checks that did not run.
  rm -f "$tests/results.xml" "$cross_check/report.txt"
  TRENDEL_JOBS=$jobs "$root/tools/build-windows.sh" "$build" "$architecture"
  "$root/tools/wine-prefix.sh" "$build/wineprefix"
  status=0
  if [ "$architecture" = x86 ] && ! "$root/tools/can-run-32-bit-windows.sh" "$build/wineprefix"; then
    ctest --test-dir "$tests" --output-on-failure -L static \
      --output-junit "$tests/results.xml" || status=$?
    all=$(ctest --test-dir "$tests" -N | sed -n 's/^Total Tests: //p')
    static=$(ctest --test-dir "$tests" -N -L static | sed -n 's/^Total Tests: //p')
    echo "32-bit Windows tier: skipped the Wine runs: this machine cannot execute 32-bit programs"
    # The cross-check of the builds is one more check skipped.
    count "$name" "$tests/results.xml" --skipped $((all - static + 1)) || status=1
    exit $status
  fi
  # One virtual screen for the whole tier: the tests' windows, the demo host
  # and the Windows half of the cross-check of the builds.
  xvfb-run --auto-servernum --server-args="-screen 0 2048x1536x24" sh -c '
    status=0
    ctest --test-dir "$1" --output-on-failure --output-junit "$1/results.xml" || status=1
    "$2/tools/cross-check.sh" "$2/build/test" "$1" "$3" || status=1
    exit $status' windows-tier "$tests" "$root" "$cross_check" || status=$?
  count "$name" "$tests/results.xml" "$cross_check/report.txt" || status=1
  exit $status
}

tier_windows_x64() { windows_tier x64; }
tier_windows_x86() { windows_tier x86; }

if [ "${1:-}" = --tier ]; then
  "$2"
  exit 0
fi

run_tier() {
  echo "== $1"
  started=$(date +%s)
  tier_status=0
  sh "$root/tools/run-tests.sh" --tier "$2" || tier_status=$?
  if ! grep -q "^$1: " "$TRENDEL_TEST_SUMMARY"; then
    if [ $tier_status -eq 0 ]; then
      echo "$1: 1 passed, 0 failed" >>"$TRENDEL_TEST_SUMMARY"
    else
      echo "$1: 0 passed, 1 failed" >>"$TRENDEL_TEST_SUMMARY"
    fi
  fi
  echo "== $1: $(($(date +%s) - started)) s"
  [ $tier_status -eq 0 ] || failed_tiers=$((failed_tiers + 1))
}

"$root/tools/install-dependencies.sh" --windows
mkdir -p "$root/build"
export TRENDEL_TEST_SUMMARY="$root/build/test-summary.txt"
: >"$TRENDEL_TEST_SUMMARY"
failed_tiers=0

run_tier Portable tier_portable
run_tier Python tier_python
run_tier Viewer tier_viewer
run_tier Sanitizers tier_sanitizers
run_tier ThreadSanitizer tier_thread_sanitizer
run_tier Fuzzing tier_fuzzing
run_tier "x64 Windows" tier_windows_x64
run_tier "x86 Windows" tier_windows_x86

echo "== summary"
cat "$TRENDEL_TEST_SUMMARY"
count --total "$TRENDEL_TEST_SUMMARY" || failed_tiers=$((failed_tiers + 1))
[ $failed_tiers -eq 0 ]
