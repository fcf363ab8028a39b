#!/bin/sh
# Instructions per drawing pass of bench_draw's charts, counted by callgrind
# (valgrind): the small, large and extra-large draw and the mouse move on the
# large chart. Counts repeat exactly from run to run, so two builds compare
# without the noise of a shared machine; quote them beside alternated
# bench_draw times, since fewer instructions need not mean less time.
#   bench/draw-instructions.sh [BUILD_FOLDER]   (default build/bench, Release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRENDEL_BUILD_BENCH=ON \
    -DTRENDEL_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target draw_instructions >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for chart in "S 600 400 5 100" "L 1920 1080 20 2000" "XL 1920 1080 10 15000" \
             "mouse-move-L 1920 1080 20 2000 mouse"; do
  set -- $chart
  name=$1
  shift
  valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$work/$name.out" \
    "$build/bench/draw_instructions" "$@" >"$work/$name.runs" 2>"$work/$name.log"
  runs=$(sed -n 's/^runs //p' "$work/$name.runs")
  collected=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/$name.log")
  printf '%-14s %14d instructions per pass\n' "$name" $((collected / runs))
done
