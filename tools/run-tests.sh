#!/bin/sh
# Every test: installs what is needed, builds, and runs the whole suite.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/test"

"$root/tools/install-dependencies.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
