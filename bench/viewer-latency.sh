#!/bin/sh
# How long a pointer move takes to reach the screen in trendel-view on the
# large chart (1920 x 1080, 20 series of 2,000 categories, as in bench_draw),
# with bench_draw's drawing pass of the same chart as the baseline of the same
# run. Needs a build with the benchmarks (-DTRENDEL_BUILD_BENCH=ON) and runs
# on an Xvfb server of its own.
#   bench/viewer-latency.sh [BUILD_FOLDER [MOVES]]   (default build/test, 100 moves)
# TRENDEL_VIEW names another viewer program to time, for comparisons;
# TRENDEL_LATENCY_FRAMES=1 prints every frame's line as well.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/test}
moves=${2:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The same smooth, overlapping waves as bench_draw's large chart.
/usr/bin/python3 - "$work/large.json" <<'PYTHON'
import json, math, sys
series, categories = 20, 2000
json.dump({"title": "Benchmark", "categoryAxisTitle": "Day", "valueAxisTitle": "Value",
           "legendTitle": "Series", "showGrid": True,
           "seriesNames": [f"Series {s + 1}" for s in range(series)],
           "categoryNames": [f"Day {c + 1}" for c in range(categories)],
           "values": [[50 + 40 * math.sin(c * 0.05 + s) for c in range(categories)]
                      for s in range(series)]}, open(sys.argv[1], "w"))
PYTHON

echo "== baseline: one drawing pass of the same chart (bench_draw)"
"$build/bench/bench_draw" --benchmark_filter='DrawGraph/1920/1080/20/2000' \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
  grep -E '^DrawGraph'

echo "== trendel-view: $moves pointer moves, each its own frame"
xvfb-run --auto-servernum --server-args="-screen 0 2048x1536x24" sh -c '
  viewer=$1 chart=$2 moves=$3 out=$4
  "$viewer" "$chart" --stats --size 1920x1080 >"$out" 2>&1 &
  pid=$!
  tries=0
  until grep -q "^drawn " "$out"; do
    tries=$((tries + 1)); [ $tries -lt 600 ] || { echo "no window" >&2; kill $pid; exit 1; }
    sleep 0.1
  done
  window=$(xdotool search --pid $pid | head -n 1)
  # Across the plot and back, 50 ms apart: longer than a frame, so that
  # every move is drawn and timed on its own.
  script=""
  i=0
  while [ $i -lt "$moves" ]; do
    x=$((200 + (i * 37) % 1500))
    script="$script mousemove --window $window $x 500 sleep 0.05"
    i=$((i + 1))
  done
  # shellcheck disable=SC2086
  xdotool $script
  sleep 0.5
  xdotool key --window "$window" q 2>/dev/null || true
  wait $pid' viewer-latency "${TRENDEL_VIEW:-$build/tools/trendel-view}" "$work/large.json" "$moves" "$work/stats.txt"
grep -E "^(drawn|pointer moves)" "$work/stats.txt"
[ -z "${TRENDEL_LATENCY_FRAMES:-}" ] || grep "^moved" "$work/stats.txt"
