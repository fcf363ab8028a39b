#!/bin/sh
# Runs a program of a Windows build under Wine, in the project's prefix:
#   tools/wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The prefix comes from tools/wine-prefix.sh; 32-bit and 64-bit programs run
# in the same one. Programs open real windows, so an X display is needed: run
# under xvfb-run, as tools/run-tests.sh does.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: $0 PREFIX PROGRAM [ARGUMENTS...]" >&2; exit 2; }
. "$here/wine-environment.sh"
export WINEPREFIX
WINEPREFIX=$(cd "$1" && pwd)
shift
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no X display; run under xvfb-run" >&2
  exit 1
fi
exec "$(wine_loader_for "$1")" "$@"
