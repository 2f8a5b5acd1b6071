#!/bin/sh
# The window on a small local page, side by side with Dillo under a private Xvfb: the median time
# from start to the first frame showing the page's text, and the median peak resident memory
# then, each with its ratio to Dillo's, and the memory that is each program's own.
# usage: compare_window.sh CORVANE [ROUNDS]
set -e
corvane="$1"
rounds="${2:-5}"
here=$(dirname "$0")
[ -x "$corvane" ] || { echo "compare_window.sh: no corvane at '$corvane'" >&2; exit 1; }
. "$here/need_tools.sh"
need_tools dillo:dillo xvfb:Xvfb x11-apps:xwd python3:python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
{
    echo '<html><head><title>Small page</title></head><body bgcolor="#ffffff" text="#ff0000">'
    echo '<h1>The first text of a small local page</h1>'
    echo '<p>A paragraph that follows the heading, as on any small page.</p></body></html>'
} > "$work/small.html"
python3 "$here/window_first_paint.py" "$rounds" "$work/small.html" \
    "corvane=$corvane {page}" "dillo=dillo {page}" > "$work/results"
awk '
    { seconds[$1] = $2; kib[$1] = $3; own[$1] = $4 }
    END {
        printf "window, small page: corvane first text %.3f s (dillo %.3f s, ratio %.2f), peak RSS %d KiB (dillo %d KiB, ratio %.2f), unshared %d KiB (dillo %d KiB)\n",
            seconds["corvane"], seconds["dillo"], seconds["corvane"] / seconds["dillo"],
            kib["corvane"], kib["dillo"], kib["corvane"] / kib["dillo"], own["corvane"], own["dillo"]
    }' "$work/results"
