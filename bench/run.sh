#!/bin/sh
# Runs every benchmark binary built into $1/bench, then compares the window with Dillo,
# `corvane --dump-text` with other text browsers on a generated page and on a table-heavy one, the
# image decoders with gif2rgb and djpeg, a page of 200 small images with the same page without them,
# downloads over http, https and ftp with curl, and a crawl of small pages with wget and curl. The
# comparisons time wall clocks; on a shared machine run with PAIRED_TIMES_CLOCK=cpu to compare
# user + system CPU time instead.
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
"$(dirname "$0")/compare_image_page.sh" "$1/bench/image_page_probe"
"$(dirname "$0")/compare_http.sh" "$1/corvane"
"$(dirname "$0")/compare_http.sh" "$1/corvane" 256 5 https
"$(dirname "$0")/compare_ftp.sh" "$1/corvane"
"$(dirname "$0")/compare_crawl.sh" "$1/bench/crawl_probe"
"$(dirname "$0")/compare_news.sh" "$1/bench/news_list_probe"
"$(dirname "$0")/compare_mail.sh" "$1/corvane"
