#!/bin/sh
# Runs `corvane --dump-text` side by side with `w3m -dump`, `lynx -dump` and `links -dump` on one
# generated page of about 5 MB and reports, relative to links: the median wall time over several
# rounds (every program once per round, so passing load hits all alike) and the peak resident
# memory. Also times corvane's start-up on a one-line page, and the same page with about 10% of its
# text in other scripts (UTF-8) against the ASCII one.
# usage: compare_dump.sh CORVANE [RUNS]
set -e
corvane="$1"
runs="${2:-5}"
here=$(dirname "$0")
[ -x "$corvane" ] || { echo "compare_dump.sh: no corvane at '$corvane'" >&2; exit 1; }

# The other browsers and the measuring tools are for this comparison only.
. "$here/need_tools.sh"
need_tools w3m:w3m lynx:lynx links:links time:/usr/bin/time python3:python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_page.py" "$work/page.html"
python3 "$here/make_page.py" --utf8 "$work/page-utf8.html"
echo '<p>One line.</p>' > "$work/line.html"
# A profile of its own, so the run neither reads nor changes the user's.
mkdir "$work/profile"
export CORVANE_HOME="$work/profile"

dumpers="corvane w3m lynx links"
. "$here/dump_programs.sh"
measure_dumpers "$work/page.html"
python3 "$here/paired_times.py" $((runs * 4)) 2 \
    "corvane=$(command_for corvane "$work/line.html")" \
    "links=$(command_for links "$work/line.html")" > "$work/line.times"
python3 "$here/paired_times.py" "$runs" 1 \
    "ascii=$(command_for corvane "$work/page.html")" \
    "utf8=$(command_for corvane "$work/page-utf8.html")" > "$work/utf8.times"

python3 "$here/dump_report.py" "$work" "$work/page.html" "a generated page" $dumpers
PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$here" python3 - "$work" <<'EOF'
import sys
from dump_report import medians
work = sys.argv[1]
line = medians(work, "line.times")
print("Start-up on a one-line page: corvane %.0fms, links %.0fms (%.2fx)" % (
    line["corvane"] * 1e3, line["links"] * 1e3, line["corvane"] / line["links"]))
utf8 = medians(work, "utf8.times")
print("The page with 10%% of its text not ASCII (UTF-8): corvane %.0fms against %.0fms (%.2fx)" % (
    utf8["utf8"] * 1e3, utf8["ascii"] * 1e3, utf8["utf8"] / utf8["ascii"]))
EOF
