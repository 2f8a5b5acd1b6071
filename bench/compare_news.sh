#!/bin/sh
# Times reading a 100,000-line LIST answer into the group tree and writing its page
# (news_list_probe) against awk splitting the same lines at their first space and every ".",
# in interleaved rounds, and reports the median times and their ratio (the target is 4 or less).
# usage: compare_news.sh NEWS_LIST_PROBE [RUNS]
set -e
probe="$1"
runs="${2:-5}"
here=$(dirname "$0")
[ -x "$probe" ] || { echo "compare_news.sh: no news_list_probe at '$probe'" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { for (i = 0; i < 100000; i++)
                 printf "h%d.sub%d.group%d %d 1 y\n", i % 50, i % 700, i, i * 3 }' > "$work/list"
python3 "$here/paired_times.py" "$runs" 1 \
    "corvane=$probe $work/list" \
    "awk=awk {n+=split(\$1,p,\".\")}END{print(n)} $work/list" > "$work/times"
ours=$(awk '$1 == "corvane" { print $2 }' "$work/times")
theirs=$(awk '$1 == "awk" { print $2 }' "$work/times")
echo "news group list, 100000 lines (median of $runs rounds):"
echo "  corvane ${ours}s, awk ${theirs}s, ratio $(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')"
