#!/bin/sh
# A page of 200 small GIFs served by nginx on loopback against the same page without them:
# image_page_probe loads each until it has settled (page and images loaded, decoded and laid
# out), afresh every round (no profile, no cache). Interleaved rounds, median wall and CPU times;
# the target is the page with images settling within 2x the time of the page without.
# usage: compare_image_page.sh IMAGE_PAGE_PROBE [IMAGES] [RUNS]
set -e
probe="$1"
images="${2:-200}"
runs="${3:-7}"
here=$(dirname "$0")
[ -x "$probe" ] || { echo "compare_image_page.sh: no image_page_probe at '$probe'" >&2; exit 1; }

. "$here/need_tools.sh"
. "$here/start_nginx.sh"
need_tools nginx-light:/usr/sbin/nginx python3:python3 curl:curl

work=$(mktemp -d)
chmod 755 "$work"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
start_nginx "$work" "listen 127.0.0.1:$port;"
python3 "$here/make_image_page.py" "$work/www" "$images"
base="http://127.0.0.1:$port"
for attempt in $(seq 100); do
    curl -s -o /dev/null "$base/text.html" && break
    sleep 0.1
done

# Each round gets a new profile, and the old ones go only at the end: removing the last round's
# 200 copies inside the timed command cost more wall time than the whole page without images,
# and slowed the next files' creation (the file system passes over inodes freed moments ago).
for page in images text; do
    cat > "$work/$page.sh" <<SH
#!/bin/sh
exec "$probe" "\$(mktemp -d "$work/profile-$page.XXXXXX")" "$base/$page.html"
SH
    chmod +x "$work/$page.sh"
done
"$work/images.sh" || { echo "compare_image_page.sh: the images did not all load" >&2; exit 1; }
for clock in wall cpu; do
    PAIRED_TIMES_CLOCK=$clock python3 "$here/paired_times.py" "$runs" 1 \
        "images=$work/images.sh" "text=$work/text.sh" > "$work/times-$clock"
done
python3 - "$work" "$images" <<'PY'
import sys
work, count = sys.argv[1], sys.argv[2]
print("A page with %s small images against the same page without, from nginx on loopback:" % count)
for clock in ("wall", "cpu"):
    times = dict((n, float(t)) for n, t in (l.split() for l in open("%s/times-%s" % (work, clock))))
    print("  %-4s with images %7.0fms, without %7.0fms, ratio %5.2f (target 2)" % (
        clock, times["images"] * 1e3, times["text"] * 1e3, times["images"] / times["text"]))
PY
