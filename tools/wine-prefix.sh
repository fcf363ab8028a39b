#!/bin/sh
# Creates the Wine prefix that the Windows tests and the demo run in, once per
# build folder:
#   tools/wine-prefix.sh PREFIX
# The prefix is a 64-bit one, made by the 64-bit loader alone, so that it can
# be made on machines that cannot execute 32-bit programs; where they can,
# 32-bit programs run in it too.
# Besides the prefix itself it installs the fonts that answer "Arial": Wine
# has no Arial, and for the family the library asks for (FF_ROMAN) it would
# fall back to a serif face. See tools/make-arial-stand-in.py.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }
mkdir -p "$1"
export WINEPREFIX
WINEPREFIX=$(cd "$1" && pwd)
# Names the set-up below; a prefix made by an older set-up is made again.
stamp="$WINEPREFIX/.trendel-prefix-2"
[ -f "$stamp" ] && exit 0
if [ -f "$WINEPREFIX/system.reg" ]; then
  wineserver --kill 2>/dev/null || true
  rm -rf "$WINEPREFIX"
elif [ -n "$(ls -A "$WINEPREFIX")" ]; then
  echo "wine-prefix: $WINEPREFIX is neither empty nor a Wine prefix" >&2
  exit 1
fi
mkdir -p "$WINEPREFIX"

. "$here/wine-environment.sh"
wine=$(wine64_loader)
export WINEARCH=win64
# Creating a prefix needs no display.
unset DISPLAY WAYLAND_DISPLAY
echo "wine-prefix: creating $WINEPREFIX"
"$wine" wineboot --init
wineserver --wait
/usr/bin/python3 "$here/make-arial-stand-in.py" "$WINEPREFIX/drive_c/windows/Fonts" >/dev/null
# The user's part of the registry is one for 32-bit and 64-bit programs.
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Trendel Sans' /f \
  >/dev/null
# Windows the window manager does not manage: with none running (Xvfb), Wine
# would otherwise wait two seconds for every window it hides or destroys.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
wineserver --wait
touch "$stamp"
