#!/bin/sh
# Fuzzes the library with libFuzzer: each target for a while, one after the
# other.
#   tools/run-fuzz.sh [SECONDS [TARGET...]]    default 60 s each, every target
# Targets: load_from_file (the BMP reader), draw_and_save (one graph through
# the exports), call_sequence (the exports in any order over several windows).
#
# Builds build/fuzzing with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# starts from the committed inputs in fuzz/corpus/TARGET and keeps what it
# learns in build/fuzzing/corpus/TARGET, so that later runs go on from there.
# A crash, a leak, an input slower than the per-input timeout or a failed
# check fails the run and leaves its input in build/fuzzing/artefacts; add it to
# fuzz/corpus/TARGET once it is fixed. Everything the targets write goes to a
# private temporary directory, removed afterwards.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-load_from_file draw_and_save call_sequence}
build="$root/build/fuzzing"
# One slow input is a hang for the purpose of the run: a host would freeze.
per_input_seconds=20

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRENDEL_FUZZ=ON -DTRENDEL_BUILD_TESTS=OFF -DTRENDEL_BUILD_TOOLS=OFF >/dev/null
fuzzers=""
for target in $targets; do
  fuzzers="$fuzzers ${target}_fuzzer"
done
# shellcheck disable=SC2086
cmake --build "$build" -j "$(nproc)" --target $fuzzers

private=$(mktemp -d "${TMPDIR:-/tmp}/trendel-fuzz-run-XXXXXX")
trap 'rm -rf "$private"' EXIT
mkdir -p "$build/artefacts"
status=0
for target in $targets; do
  corpus=$(echo "$target" | tr _ -)
  mkdir -p "$build/corpus/$corpus"
  echo "== $target for $seconds s"
  TMPDIR=$private ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=4096 \
    -timeout="$per_input_seconds" -rss_limit_mb=3072 -print_final_stats=1 \
    -artifact_prefix="$build/artefacts/$target-" \
    "$build/corpus/$corpus" "$root/fuzz/corpus/$corpus" || status=1
done
exit $status
