#!/bin/sh
# Regenerates the reference data of the portable drawing layer with the GDI
# oracle. Building and testing never need this; run it by hand after adding
# or changing a script, and look at every new image before committing it.
#  - tests/platform/reference/NAME.txt: the final canvas goes to NAME.ppm;
#  - tests/platform/reference/text/NAME.txt: what the script prints goes to
#    NAME.out, and its own dump commands write their images beside it.
#   tools/regenerate-references.sh ORACLE_DIRECTORY [SCRIPT...]
set -eu
[ $# -ge 1 ] || { echo "usage: $0 ORACLE_DIRECTORY [SCRIPT...]" >&2; exit 1; }
oracle=$(cd "$1" && pwd)
shift
[ -x "$oracle/run.sh" ] || { echo "$0: no run.sh in $oracle" >&2; exit 1; }
references=$(cd "$(dirname "$0")/../tests/platform/reference" && pwd)
cd "$references"
[ $# -gt 0 ] || set -- *.txt text/*.txt
for script in "$@"; do
  directory=$(dirname "$script")
  name=$(basename "$script" .txt)
  if [ "$directory" = "text" ]; then
    (cd text && "$oracle/run.sh" "$name.txt" > "$name.out")
    echo "text/$name.out"
  else
    "$oracle/run.sh" "$name.txt" "$name.ppm" >/dev/null
    echo "$name.ppm"
  fi
done
