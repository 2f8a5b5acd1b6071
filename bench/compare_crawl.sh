#!/bin/sh
# Reads a chain of 100 small pages served by nginx on loopback, each linking to the next: the
# engine (crawl_probe: load, lay out, follow the link) against `wget -r` (one process following
# the links) and against curl in a loop that takes each page's link from the page it fetched.
# Interleaved rounds, median wall times.
# usage: compare_crawl.sh CRAWL_PROBE [PAGES] [RUNS]
set -e
probe="$1"
pages="${2:-100}"
runs="${3:-7}"
here=$(dirname "$0")
[ -x "$probe" ] || { echo "compare_crawl.sh: no crawl_probe at '$probe'" >&2; exit 1; }

. "$here/need_tools.sh"
. "$here/start_nginx.sh"
need_tools curl:curl wget:wget nginx-light:/usr/sbin/nginx python3:python3

work=$(mktemp -d)
chmod 755 "$work"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
start_nginx "$work" "listen 127.0.0.1:$port;"
for n in $(seq "$pages"); do
    {
        printf '<html><title>Page %d</title>\n' "$n"
        [ "$n" -lt "$pages" ] && printf '<p><a href="page%d.html">next</a>\n' "$((n + 1))"
        printf '<p>Page %d of a chain of small pages, read one after another.\n</html>\n' "$n"
    } > "$work/www/page$n.html"
done
base="http://127.0.0.1:$port"
for attempt in $(seq 100); do
    curl -s -o /dev/null "$base/page1.html" && break
    sleep 0.1
done

# Each tool starts afresh every round: no profile, cache or files from the round before.
cat > "$work/probe.sh" <<SH
#!/bin/sh
rm -rf "$work/profile"; mkdir "$work/profile"
exec "$probe" "$work/profile" "$base/page1.html" "$pages" >/dev/null
SH
cat > "$work/wget.sh" <<SH
#!/bin/sh
rm -rf "$work/wget"
exec wget -q -r -l inf -np -P "$work/wget" "$base/page1.html"
SH
cat > "$work/curl.sh" <<SH
#!/bin/sh
page=page1.html
while [ -n "\$page" ]; do
    page=\$(curl -s "$base/\$page" | sed -n 's/.*href="\([^"]*\)".*/\1/p')
done
SH
chmod +x "$work/probe.sh" "$work/wget.sh" "$work/curl.sh"
"$work/probe.sh" || { echo "compare_crawl.sh: crawl_probe did not read the chain" >&2; exit 1; }
"$work/wget.sh"
[ "$(ls "$work/wget/127.0.0.1:$port" | wc -l)" -eq "$pages" ] ||
    { echo "compare_crawl.sh: wget did not read the chain" >&2; exit 1; }
python3 "$here/paired_times.py" "$runs" 1 "corvane=$work/probe.sh" "wget=$work/wget.sh" \
    "curl=$work/curl.sh" > "$work/times"
python3 - "$work/times" "$pages" <<'PY'
import sys
times = dict((n, float(t)) for n, t in (l.split() for l in open(sys.argv[1])))
print("Following a chain of %s small pages from nginx on loopback (median wall time):"
      % sys.argv[2])
for name in ("corvane", "wget", "curl"):
    print("  %-8s %8.0fms  %5.2fx wget  %5.2fx curl loop" % (
        name, times[name] * 1e3, times[name] / times["wget"], times[name] / times["curl"]))
PY
