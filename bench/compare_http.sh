#!/bin/sh
# Downloads one large file from nginx on loopback with `corvane --dump-source URL > /dev/null` and
# with `curl -s -o /dev/null URL`, in interleaved rounds, and reports the median wall times and
# corvane's peak resident memory beside curl's.
# usage: compare_http.sh CORVANE [MEBIBYTES] [RUNS]
set -e
corvane="$1"
size="${2:-256}"
runs="${3:-5}"
here=$(dirname "$0")
[ -x "$corvane" ] || { echo "compare_http.sh: no corvane at '$corvane'" >&2; exit 1; }

. "$here/need_tools.sh"
need_tools curl:curl nginx-light:/usr/sbin/nginx time:/usr/bin/time python3:python3

work=$(mktemp -d)
chmod 755 "$work"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/www" "$work/temp" "$work/profile"
cat > "$work/nginx.conf" <<CONF
worker_processes 1;
daemon off;
user root;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $work/temp/body;
  proxy_temp_path $work/temp/proxy;
  fastcgi_temp_path $work/temp/fastcgi;
  uwsgi_temp_path $work/temp/uwsgi;
  scgi_temp_path $work/temp/scgi;
  types { text/plain txt; }
  server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
/usr/sbin/nginx -c "$work/nginx.conf" -e "$work/error.log" &
nginx_pid=$!
trap 'kill $nginx_pid 2>/dev/null; wait $nginx_pid 2>/dev/null; rm -rf "$work"' EXIT
yes "a line of the large file served for the download comparison" |
    head -c "$((size * 1024 * 1024))" > "$work/www/big.txt"
url="http://127.0.0.1:$port/big.txt"
for attempt in $(seq 100); do
    curl -s -o /dev/null "$url" && break
    sleep 0.1
done
export CORVANE_HOME="$work/profile"

"$corvane" --dump-source "$url" | cmp -s - "$work/www/big.txt" || {
    echo "compare_http.sh: corvane did not deliver the file whole" >&2
    exit 1
}
python3 "$here/paired_times.py" "$runs" 1 \
    "corvane=$corvane --dump-source $url" "curl=curl -s -o /dev/null $url" > "$work/times"
/usr/bin/time -v "$corvane" --dump-source "$url" 2>"$work/corvane.time" >/dev/null
/usr/bin/time -v curl -s -o /dev/null "$url" 2>"$work/curl.time"

python3 - "$work" "$size" <<'PY'
import os, re, sys
work, size = sys.argv[1], sys.argv[2]
times = dict((name, float(t)) for name, t in (l.split() for l in open(os.path.join(work, "times"))))
def peak(name):
    text = open(os.path.join(work, name + ".time")).read()
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1)) / 1024
print("Downloading %s MiB from nginx on loopback (median wall time, peak RSS):" % size)
for name in ("corvane", "curl"):
    print("  %-8s %8.0fms %7.2fx %8.1fMB" % (name, times[name] * 1e3,
                                             times[name] / times["curl"], peak(name)))
PY
