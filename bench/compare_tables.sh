#!/bin/sh
# Times `corvane --dump-text` against `links -dump` and `w3m -dump` on one generated table-heavy
# page of about 2 MB (5000 rows of six cells: words, links and numbers, with a few spans and
# nested tables), in interleaved rounds (median wall time), and reports the peak resident memory;
# ratios are relative to links.
# usage: compare_tables.sh CORVANE [RUNS]
set -e
corvane="$1"
runs="${2:-5}"
here=$(dirname "$0")
[ -x "$corvane" ] || { echo "compare_tables.sh: no corvane at '$corvane'" >&2; exit 1; }

. "$here/need_tools.sh"
need_tools w3m:w3m links:links time:/usr/bin/time python3:python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_table_page.py" "$work/tables.html"
mkdir "$work/profile"
export CORVANE_HOME="$work/profile"

dumpers="corvane links w3m"
. "$here/dump_programs.sh"
measure_dumpers "$work/tables.html"
python3 "$here/dump_report.py" "$work" "$work/tables.html" "a generated table page" $dumpers
