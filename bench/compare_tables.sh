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
command_for() {
    case "$1" in
        corvane) echo "$corvane --dump-text $2" ;;
        *) echo "$1 -dump $2" ;;
    esac
}

for name in $dumpers; do
    $(command_for "$name" "$work/tables.html") > "$work/$name.txt" 2>"$work/$name.err" || {
        echo "compare_tables.sh: $name failed on the page:" >&2
        cat "$work/$name.err" >&2
        exit 1
    }
    [ -s "$work/$name.txt" ] || { echo "compare_tables.sh: $name wrote nothing" >&2; exit 1; }
done

set --
for name in $dumpers; do set -- "$@" "$name=$(command_for "$name" "$work/tables.html")"; done
python3 "$here/paired_times.py" "$runs" 1 "$@" > "$work/page.times"
for name in $dumpers; do
    /usr/bin/time -v $(command_for "$name" "$work/tables.html") 2>"$work/$name.time" >/dev/null
done

python3 - "$work" $dumpers <<'PY'
import os, re, sys
work, names = sys.argv[1], sys.argv[2:]
with open(os.path.join(work, "page.times")) as f:
    times = {name: float(seconds) for name, seconds in (line.split() for line in f)}

def peak_kb(name):
    with open(os.path.join(work, name + ".time")) as f:
        return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read()).group(1))

size = os.path.getsize(os.path.join(work, "tables.html"))
print("Dumping a generated table page of %.1f MB as text (median wall time, peak RSS); "
      "ratios relative to links -dump:" % (size / 1e6))
print("  %-8s %10s %8s %10s %8s" % ("program", "time", "ratio", "peak RSS", "ratio"))
for name in names:
    print("  %-8s %8.0fms %7.2fx %8.1fMB %7.2fx" % (
        name, times[name] * 1e3, times[name] / times["links"],
        peak_kb(name) / 1024, peak_kb(name) / peak_kb("links")))
PY
