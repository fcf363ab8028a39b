#!/bin/sh
# Renders the sample charts of samples/ again: one PNG per drawing feature,
# for a person to look at after a change to the drawing code. Never run by
# the tests.
#   tests/render/render-samples.sh [BUILD_DIRECTORY]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-"$root/build/samples"}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target render_samples -j 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/tests/render/render_samples" "$scratch"
mkdir -p "$here/samples"
for image in "$scratch"/*.ppm; do
  name=$(basename "$image" .ppm)
  convert "$image" "$here/samples/$name.png"
done
echo "render-samples: wrote $(ls "$scratch" | wc -l) images to $here/samples"
