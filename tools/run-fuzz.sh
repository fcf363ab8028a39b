#!/bin/sh
# Fuzzes the BMP reader (CDib::LoadFromFile) with libFuzzer for a while.
#   tools/run-fuzz.sh [SECONDS]     default 60
# Builds build/fuzz with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# starts from the committed seeds in fuzz/corpus and keeps what it learns in
# build/fuzz/corpus, so that later runs go on from there. A crash leaves its
# input in build/fuzz/crash-*; add it to fuzz/corpus once it is fixed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build="$root/build/fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRENDEL_FUZZ=ON -DTRENDEL_BUILD_TESTS=OFF -DTRENDEL_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target load_from_file_fuzzer
mkdir -p "$build/corpus"
cd "$build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ./fuzz/load_from_file_fuzzer -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -print_final_stats=1 corpus "$root/fuzz/corpus"
