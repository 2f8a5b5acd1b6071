#!/bin/sh
# Decodes a generated 4000 x 3000 GIF and a baseline and a progressive JPEG of the same picture
# with Corvane's decoders (decode_image) and with giflib's gif2rgb and libjpeg-turbo's djpeg, in
# interleaved rounds, and reports the median times as ratios and the peak memory against the
# bitmap's own size (4000 x 3000 x 4 bytes = 48 MB).
# usage: compare_images.sh DECODE_IMAGE [RUNS]
set -e
decode="$1"
runs="${2:-5}"
here=$(dirname "$0")
[ -x "$decode" ] || { echo "compare_images.sh: no decode_image at '$decode'" >&2; exit 1; }

. "$here/need_tools.sh"
need_tools giflib-tools:gif2rgb libjpeg-turbo-progs:djpeg time:/usr/bin/time python3:python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_images.py" "$work/big.ppm" "$work/big.gif"
cjpeg -quality 85 -outfile "$work/baseline.jpg" "$work/big.ppm"
cjpeg -quality 85 -progressive -outfile "$work/progressive.jpg" "$work/big.ppm"

# Each reference tool writes its pixels to /dev/null; ours only fills its bitmap.
python3 "$here/paired_times.py" "$runs" 1 \
    "corvane-gif=$decode $work/big.gif" "gif2rgb=gif2rgb -1 -o /dev/null $work/big.gif" \
    "corvane-baseline=$decode $work/baseline.jpg" "djpeg-baseline=djpeg -outfile /dev/null $work/baseline.jpg" \
    "corvane-progressive=$decode $work/progressive.jpg" \
    "djpeg-progressive=djpeg -outfile /dev/null $work/progressive.jpg" > "$work/times"

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
time_of() { awk -v n="$1" '$1 == n { print $2 }' "$work/times"; }

echo "image decoding, 4000 x 3000 (median of $runs rounds):"
for pair in gif:gif2rgb baseline:djpeg-baseline progressive:djpeg-progressive; do
    ours=$(time_of "corvane-${pair%%:*}")
    theirs=$(time_of "${pair#*:}")
    echo "  ${pair%%:*}: corvane ${ours}s, ${pair#*:} ${theirs}s, ratio $(ratio "$ours" "$theirs")"
done
for file in big.gif baseline.jpg progressive.jpg; do
    kb=$(peak "$decode" "$work/$file")
    echo "  peak memory decoding $file: ${kb} KB (bitmap 46875 KB)"
done
