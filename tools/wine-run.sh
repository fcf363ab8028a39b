#!/bin/sh
# Runs a program of the Windows build under Wine, in the project's prefix:
#   tools/wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The prefix comes from tools/wine-prefix.sh. Programs open real windows, so
# an X display is needed: run under xvfb-run, as tools/run-tests.sh does.
set -eu
[ $# -ge 2 ] || { echo "usage: $0 PREFIX PROGRAM [ARGUMENTS...]" >&2; exit 2; }
export WINEPREFIX
WINEPREFIX=$(cd "$1" && pwd)
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no X display; run under xvfb-run" >&2
  exit 1
fi
exec wine "$@"
