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
command_for() {
    case "$1" in
        corvane) echo "$corvane --dump-text $2" ;;
        *) echo "$1 -dump $2" ;;
    esac
}

# Each program must actually read the page, or its time means nothing.
for name in $dumpers; do
    $(command_for "$name" "$work/page.html") > "$work/$name.txt" 2>"$work/$name.err" || {
        echo "compare_dump.sh: $name failed on the page:" >&2
        cat "$work/$name.err" >&2
        exit 1
    }
    [ -s "$work/$name.txt" ] || { echo "compare_dump.sh: $name wrote nothing" >&2; exit 1; }
done

set --
for name in $dumpers; do set -- "$@" "$name=$(command_for "$name" "$work/page.html")"; done
python3 "$here/paired_times.py" "$runs" 1 "$@" > "$work/page.times"
python3 "$here/paired_times.py" $((runs * 4)) 2 \
    "corvane=$(command_for corvane "$work/line.html")" \
    "links=$(command_for links "$work/line.html")" > "$work/line.times"
python3 "$here/paired_times.py" "$runs" 1 \
    "ascii=$(command_for corvane "$work/page.html")" \
    "utf8=$(command_for corvane "$work/page-utf8.html")" > "$work/utf8.times"

for name in $dumpers; do
    /usr/bin/time -v $(command_for "$name" "$work/page.html") 2>"$work/$name.time" >/dev/null
done

python3 - "$work" $dumpers <<'EOF'
import os, re, sys
work, names = sys.argv[1], sys.argv[2:]

def medians(file):
    with open(os.path.join(work, file)) as f:
        return {name: float(seconds) for name, seconds in (line.split() for line in f)}

def peak_kb(name):
    with open(os.path.join(work, name + ".time")) as f:
        return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read()).group(1))

page = medians("page.times")
size = os.path.getsize(os.path.join(work, "page.html"))
clock = "CPU" if os.environ.get("PAIRED_TIMES_CLOCK") == "cpu" else "wall"
print("Dumping a generated page of %.1f MB as text (median %s time, peak RSS); "
      "ratios relative to links -dump:" % (size / 1e6, clock))
print("  %-8s %10s %8s %10s %8s" % ("program", "time", "ratio", "peak RSS", "ratio"))
for name in names:
    print("  %-8s %8.0fms %7.2fx %8.1fMB %7.2fx" % (
        name, page[name] * 1e3, page[name] / page["links"],
        peak_kb(name) / 1024, peak_kb(name) / peak_kb("links")))
line = medians("line.times")
print("Start-up on a one-line page: corvane %.0fms, links %.0fms (%.2fx)" % (
    line["corvane"] * 1e3, line["links"] * 1e3, line["corvane"] / line["links"]))
utf8 = medians("utf8.times")
print("The page with 10%% of its text not ASCII (UTF-8): corvane %.0fms against %.0fms (%.2fx)" % (
    utf8["utf8"] * 1e3, utf8["ascii"] * 1e3, utf8["utf8"] / utf8["ascii"]))
EOF
