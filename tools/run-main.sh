#!/bin/sh
# The main job: installs what is needed, builds the library and its tools,
# and renders every example chart in examples/charts to BMP, GIF and JPEG.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"
charts="$build/charts"

"$root/tools/install-dependencies.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRENDEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

mkdir -p "$charts"
for definition in "$root"/examples/charts/*.json; do
  name=$(basename "$definition" .json)
  for format in bmp gif jpg; do
    "$build/tools/trendel-render" "$definition" -o "$charts/$name.$format" --size 800x600
  done
  echo "rendered $name: $charts/$name.bmp, .gif, .jpg"
done
echo "the example charts are in $charts"
