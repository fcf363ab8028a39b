#!/bin/sh
# Remakes the chart the README shows, docs/images/monthly-sales.gif, from
# examples/charts/monthly-sales.json with the chart command. Run it after
# changing how charts look, and look at the picture before committing it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRENDEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target trendel-render
mkdir -p "$root/docs/images"
"$build/tools/trendel-render" "$root/examples/charts/monthly-sales.json" \
  -o "$root/docs/images/monthly-sales.gif" --size 720x420
echo "$root/docs/images/monthly-sales.gif"
