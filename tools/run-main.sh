#!/bin/sh
# The main job: installs what is needed, builds the library and its tools,
# and renders the example charts.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"

"$root/tools/install-dependencies.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTRENDEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
"$build/examples/quickstart"
