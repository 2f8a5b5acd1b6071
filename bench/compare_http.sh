#!/bin/sh
# Downloads one large file from nginx on loopback with `corvane --dump-source URL > /dev/null` and
# with `curl -s -o /dev/null URL`, in interleaved rounds, and reports the median wall times and
# corvane's peak resident memory beside curl's (and corvane's for a file of 1/16 the size, which
# should be the same); then the same for a small page, fetched many
# times, where connecting (and for https the handshake) is most of the work. With https, nginx
# serves a certificate of an authority made here, which both clients are told to trust.
# usage: compare_http.sh CORVANE [MEBIBYTES] [RUNS] [http|https]
set -e
corvane="$1"
size="${2:-256}"
runs="${3:-5}"
scheme="${4:-http}"
here=$(dirname "$0")
[ -x "$corvane" ] || { echo "compare_http.sh: no corvane at '$corvane'" >&2; exit 1; }

. "$here/need_tools.sh"
. "$here/start_nginx.sh"
need_tools curl:curl nginx-light:/usr/sbin/nginx time:/usr/bin/time python3:python3 \
    openssl:openssl

work=$(mktemp -d)
chmod 755 "$work"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/www" "$work/temp" "$work/profile"
listen="listen 127.0.0.1:$port;"
curl="curl -s -o /dev/null"
if [ "$scheme" = https ]; then
    quiet() { "$@" >/dev/null 2>&1; }
    quiet openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
        -subj "/CN=Bench Authority" -keyout "$work/ca.key" -out "$work/ca.pem"
    quiet openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=127.0.0.1" \
        -keyout "$work/server.key" -out "$work/server.csr"
    echo "subjectAltName=IP:127.0.0.1" > "$work/server.ext"
    quiet openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
        -CAcreateserial -days 2 -extfile "$work/server.ext" -out "$work/server.pem"
    listen="listen 127.0.0.1:$port ssl; ssl_certificate $work/server.pem;
            ssl_certificate_key $work/server.key;"
    curl="$curl --cacert $work/ca.pem"
    export SSL_CERT_FILE="$work/ca.pem"
fi
start_nginx "$work" "$listen"
yes "a line of the large file served for the download comparison" |
    head -c "$((size * 1024 * 1024))" > "$work/www/big.txt"
head -c "$((size * 1024 * 1024 / 16))" "$work/www/big.txt" > "$work/www/part.txt"
printf '<html><title>Small</title><p>A small page.</p></html>\n' > "$work/www/small.html"
base="$scheme://127.0.0.1:$port"
for attempt in $(seq 100); do
    $curl "$base/small.html" && break
    sleep 0.1
done
export CORVANE_HOME="$work/profile"

"$corvane" --dump-source "$base/big.txt" | cmp -s - "$work/www/big.txt" || {
    echo "compare_http.sh: corvane did not deliver the file whole over $scheme" >&2
    exit 1
}
python3 "$here/paired_times.py" "$runs" 1 \
    "corvane=$corvane --dump-source $base/big.txt" "curl=$curl $base/big.txt" > "$work/times"
python3 "$here/paired_times.py" 40 3 \
    "corvane=$corvane --dump-source $base/small.html" "curl=$curl $base/small.html" \
    > "$work/small"
/usr/bin/time -v "$corvane" --dump-source "$base/big.txt" 2>"$work/corvane.time" >/dev/null
/usr/bin/time -v "$corvane" --dump-source "$base/part.txt" 2>"$work/part.time" >/dev/null
/usr/bin/time -v $curl "$base/big.txt" 2>"$work/curl.time"

python3 - "$work" "$size" "$scheme" <<'PY'
import os, re, sys
work, size, scheme = sys.argv[1:4]
def medians(name):
    return dict((n, float(t)) for n, t in (l.split() for l in open(os.path.join(work, name))))
def peak(name):
    text = open(os.path.join(work, name + ".time")).read()
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1)) / 1024
times, small = medians("times"), medians("small")
print("Downloading %s MiB over %s from nginx on loopback (median wall time, peak RSS):"
      % (size, scheme))
for name in ("corvane", "curl"):
    print("  %-8s %8.0fms %7.2fx %8.1fMB" % (name, times[name] * 1e3,
                                             times[name] / times["curl"], peak(name)))
print("  corvane peak RSS for %s MiB: %.1fMB" % (int(size) // 16, peak("part")))
print("A small page over %s, connection included (median of 40):" % scheme)
for name in ("corvane", "curl"):
    print("  %-8s %8.1fms %7.2fx" % (name, small[name] * 1e3, small[name] / small["curl"]))
PY
