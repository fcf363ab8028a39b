#!/bin/sh
# Renders the chart corpus (tests/e2e/corpus) with both builds and compares
# the pictures pixel by pixel: geometry exactly, text only inside the text
# cells real GDI reports. Both builds must exist already:
#   tools/cross-check.sh [PORTABLE_BUILD [WINDOWS_BUILD [OUTPUT]]]
# (defaults build/test, build/windows/x64, build/cross-check). The Windows
# build may be either architecture's. Its side runs under Wine with real
# windows, in the prefix the build's tests use, so run it inside xvfb-run, as
# tools/run-tests.sh does. OUTPUT receives both sets of pictures, the
# difference pictures and report.txt.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
portable=${1:-$root/build/test}
windows=${2:-$root/build/windows/x64}
output=${3:-$root/build/cross-check}

rm -rf "$output"
mkdir -p "$output/portable" "$output/windows"
"$portable/tests/e2e/corpus_renderer" "$root/tests/e2e/corpus" "$output/portable"
prefix=$(sed -n 's/^TRENDEL_WINE_PREFIX:PATH=//p' "$windows/CMakeCache.txt")
"$root/tools/wine-prefix.sh" "$prefix"
"$root/tools/wine-run.sh" "$prefix" "$windows/bin/corpus_renderer.exe" \
  "$root/tests/e2e/corpus" "$output/windows"
status=0
/usr/bin/python3 "$root/tools/compare-renderings.py" "$output/windows" "$output/portable" \
  "$output/differences" >"$output/report.txt" || status=$?
cat "$output/report.txt"
exit $status
