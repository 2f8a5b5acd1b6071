#!/bin/sh
# Runs every benchmark binary built into $1/bench.
set -e
found=0
for b in "$1"/bench/*_bench; do
    [ -x "$b" ] || continue
    found=1
    "$b"
done
[ "$found" -eq 1 ] || echo "no benchmarks built yet"
