#!/bin/sh
# Answers whether this machine runs 32-bit Windows programs under Wine: exits
# with 0 when it does, with 1 when it does not.
#   tools/can-run-32-bit-windows.sh PREFIX
# It builds a tiny 32-bit console program and runs it in PREFIX (made by
# tools/wine-prefix.sh) with a time limit. Where the kernel cannot execute
# 32-bit programs, Wine's 32-bit loader fails at once ("Exec format error");
# without 32-bit Wine the 64-bit loader refuses the program. Anything but the
# program's own answer within the limit counts as no.
# TRENDEL_ASSUME_NO_32_BIT=1 answers no without asking, so that the path of
# such machines can be tried on any machine.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }
[ "${TRENDEL_ASSUME_NO_32_BIT:-0}" = 1 ] && exit 1
. "$here/wine-environment.sh"
export WINEPREFIX
WINEPREFIX=$(cd "$1" && pwd)
# A console program needs no display.
unset DISPLAY WAYLAND_DISPLAY
limit_seconds=60

work=$(mktemp -d "${TMPDIR:-/tmp}/trendel-32-bit-probe-XXXXXX")
trap 'rm -rf "$work"' EXIT
printf '#include <stdio.h>\nint main(void) { printf("%%u-bit\\n", (unsigned)(8 * sizeof(void *))); return 0; }\n' \
  >"$work/probe.c"
i686-w64-mingw32-gcc -O1 -o "$work/probe.exe" "$work/probe.c"
answer=$(timeout "$limit_seconds" wine "$work/probe.exe" 2>/dev/null) || answer=""
# The probe's session has no display: programs started in the prefix while
# its server lingers would join it and could open no windows. A loader cut
# off by the time limit may leave the server running too.
wineserver --kill 2>/dev/null || true
# The C runtime writes text lines with CR LF.
[ "$(printf '%s' "$answer" | tr -d '\r')" = "32-bit" ]
