#!/bin/sh
# Remakes the screenshot of trendel-view that the README shows,
# docs/images/trendel-view.png: the chart of examples/charts/monthly-sales.json
# in the viewer's window on a virtual screen, with the pointer over August.
# Look at the picture before committing it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRENDEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target trendel-view
mkdir -p "$root/docs/images"
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" sh -c '
  output=$(mktemp)
  "$1" "$2" --stats --size 720x420 >"$output" &
  pid=$!
  tries=0
  until grep -q "^drawn " "$output"; do
    tries=$((tries + 1)); [ $tries -lt 100 ] || { kill $pid; exit 1; }
    sleep 0.1
  done
  window=$(xdotool search --pid $pid | head -n 1)
  xdotool mousemove --window "$window" 455 200
  until grep -q "^moved 455,200" "$output"; do sleep 0.1; done
  import -window "$window" "$3"
  xdotool key --window "$window" q 2>/dev/null || true
  wait $pid
  rm -f "$output"' make-viewer-screenshot "$build/tools/trendel-view" \
  "$root/examples/charts/monthly-sales.json" "$root/docs/images/trendel-view.png"
echo "$root/docs/images/trendel-view.png"
