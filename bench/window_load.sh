#!/bin/sh
# The window while a 40 MB local page loads: time to the first painted text and the longest time
# input waited, on Qt's offscreen platform (no display server needed).
# usage: window_load.sh WINDOW_LOAD_PROBE
set -e
probe="$1"
[ -x "$probe" ] || { echo "window_load.sh: no probe at '$probe'" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$(dirname "$0")/make_page.py" "$work/page40.html" 40000000
QT_QPA_PLATFORM=offscreen "$probe" "$work/page40.html" 2>/dev/null
