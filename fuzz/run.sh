#!/bin/sh
# Runs every fuzzer built into $1/fuzz for $2 seconds each, on its committed seed corpus when it
# has one.
set -e
found=0
for f in "$1"/fuzz/*_fuzzer; do
    [ -x "$f" ] || continue
    found=1
    name=$(basename "$f" _fuzzer)
    corpus="fuzz/corpus/$name"
    work="$1/fuzz/work-$name"
    mkdir -p "$work"
    # Crash, leak and slow inputs go beside the work corpus, never into the source tree.
    artifacts="-artifact_prefix=$work/"
    if [ -d "$corpus" ]; then
        "$f" "$artifacts" -max_total_time="$2" -print_final_stats=1 "$work" "$corpus"
    else
        echo "fuzz/run.sh: $name has no seed corpus in $corpus; starting from nothing"
        "$f" "$artifacts" -max_total_time="$2" -print_final_stats=1 "$work"
    fi
done
[ "$found" -eq 1 ] || echo "no fuzzers built yet"
