#!/bin/sh
# Runs every benchmark binary built into $1/bench, then compares the window with Dillo,
# `corvane --dump-text` with other text browsers on a generated page and on a table-heavy one, the
# image decoders with gif2rgb and djpeg, and downloads over http and https with curl.
set -e
found=0
for b in "$1"/bench/*_bench; do
    [ -x "$b" ] || continue
    found=1
    "$b"
done
[ "$found" -eq 1 ] || echo "no benchmarks built yet"
"$(dirname "$0")/window_load.sh" "$1/bench/window_load_probe"
"$(dirname "$0")/compare_window.sh" "$1/corvane"
"$(dirname "$0")/compare_dump.sh" "$1/corvane"
"$(dirname "$0")/compare_tables.sh" "$1/corvane"
"$(dirname "$0")/compare_images.sh" "$1/bench/decode_image"
"$(dirname "$0")/compare_http.sh" "$1/corvane"
"$(dirname "$0")/compare_http.sh" "$1/corvane" 256 5 https
"$(dirname "$0")/compare_news.sh" "$1/bench/news_list_probe"
"$(dirname "$0")/compare_mail.sh" "$1/corvane"
