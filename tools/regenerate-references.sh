#!/bin/sh
# Regenerates the reference images of the portable drawing layer: runs every
# script in tests/platform/reference/ (or only those named) through the GDI
# oracle and writes its final canvas beside it as NAME.ppm. Building and
# testing never need this; run it by hand after adding or changing a script,
# and look at every new image before committing it.
#   tools/regenerate-references.sh ORACLE_DIRECTORY [SCRIPT...]
set -eu
[ $# -ge 1 ] || { echo "usage: $0 ORACLE_DIRECTORY [SCRIPT...]" >&2; exit 1; }
oracle=$(cd "$1" && pwd)
shift
[ -x "$oracle/run.sh" ] || { echo "$0: no run.sh in $oracle" >&2; exit 1; }
references=$(cd "$(dirname "$0")/../tests/platform/reference" && pwd)
cd "$references"
[ $# -gt 0 ] || set -- *.txt
for script in "$@"; do
  name=$(basename "$script" .txt)
  "$oracle/run.sh" "$name.txt" "$name.ppm" >/dev/null
  echo "$name.ppm"
done
