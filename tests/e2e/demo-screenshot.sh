#!/bin/sh
# Runs the demo host under Wine on the current X display, moves the pointer
# over its graph with xdotool and photographs the screen before and after;
# check-demo-screenshot.py then looks for the graph, the tracking line and
# the value box. Then the keys G, J and B must save the picture, and Escape
# close the demo. The screenshots and the saved files stay in OUTPUT_FOLDER.
#   demo-screenshot.sh PREFIX DEMO_EXE OUTPUT_FOLDER
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 3 ] || { echo "usage: $0 PREFIX DEMO_EXE OUTPUT_FOLDER" >&2; exit 2; }
prefix=$1
demo=$2
mkdir -p "$3"
cd "$3"
rm -f client.txt before.png after.png check.txt chart.gif chart.jpg chart.bmp

# The demo closes itself after a while in any case, so that no failure below
# leaves it running.
"$here/../../tools/wine-run.sh" "$prefix" "$demo" --client-file client.txt --close-after 30000 &
demo_pid=$!
waited=0
while [ ! -s client.txt ]; do
  if [ $waited -ge 100 ]; then
    echo "demo-screenshot: the demo showed no window within 20 s" >&2
    exit 1
  fi
  sleep 0.2
  waited=$((waited + 1))
done
read -r left top width height <client.txt
sleep 1
import -window root before.png
# Over the plot: 45 % across the client area, half-way down.
xdotool mousemove $((left + width * 45 / 100)) $((top + height / 2))
# The demo redraws when Wine delivers the move; look again for a while.
looks=0
until sleep 1 && import -window root after.png &&
  /usr/bin/python3 "$here/check-demo-screenshot.py" before.png after.png "$left" "$top" \
    "$width" "$height" >check.txt; do
  looks=$((looks + 1))
  if [ $looks -ge 5 ]; then
    cat check.txt
    xdotool key Escape
    exit 1
  fi
done
cat check.txt
xdotool key g j b Escape
wait "$demo_pid" || { echo "demo-screenshot: the demo failed" >&2; exit 1; }
for saved in chart.gif chart.jpg chart.bmp; do
  [ -s "$saved" ] || { echo "demo-screenshot: the keys saved no $saved" >&2; exit 1; }
done
