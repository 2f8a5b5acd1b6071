#!/bin/sh
# Downloads one large file from vsftpd on loopback with `corvane --dump-source URL > /dev/null`
# and with `curl -s -o /dev/null URL`, in interleaved rounds, and reports the median wall times
# and the peak resident memory of both; corvane's peak is also taken for a file of 1/16 the size,
# to show that it does not grow with the file.
# usage: compare_ftp.sh CORVANE [MEBIBYTES] [RUNS]
set -e
corvane="$1"
size="${2:-256}"
runs="${3:-5}"
here=$(dirname "$0")
[ -x "$corvane" ] || { echo "compare_ftp.sh: no corvane at '$corvane'" >&2; exit 1; }

. "$here/need_tools.sh"
need_tools curl:curl vsftpd:/usr/sbin/vsftpd time:/usr/bin/time python3:python3

work=$(mktemp -d)
chmod 755 "$work"
mkdir -p "$work/anon" "$work/empty" "$work/profile"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
yes "a line of the large file served for the download comparison" |
    head -c "$((size * 1024 * 1024))" > "$work/anon/big.txt"
head -c "$((size * 1024 * 1024 / 16))" "$work/anon/big.txt" > "$work/anon/small.txt"
chmod 555 "$work/anon" "$work/empty"
cat > "$work/vsftpd.conf" <<CONF
background=NO
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
anonymous_enable=YES
anon_root=$work/anon
local_enable=NO
pam_service_name=vsftpd
secure_chroot_dir=$work/empty
seccomp_sandbox=NO
pasv_enable=YES
pasv_address=127.0.0.1
max_per_ip=0
max_clients=0
CONF
/usr/sbin/vsftpd "$work/vsftpd.conf" 2>"$work/vsftpd.log" &
server_pid=$!
trap 'kill $server_pid 2>/dev/null; wait $server_pid 2>/dev/null; chmod -R u+w "$work"; rm -rf "$work"' EXIT
base="ftp://127.0.0.1:$port"
for attempt in $(seq 100); do
    curl -s -o /dev/null "$base/small.txt" && break
    sleep 0.1
done
export CORVANE_HOME="$work/profile"

"$corvane" --dump-source "$base/big.txt" | cmp -s - "$work/anon/big.txt" || {
    echo "compare_ftp.sh: corvane did not deliver the file whole over ftp" >&2
    exit 1
}
python3 "$here/paired_times.py" "$runs" 1 \
    "corvane=$corvane --dump-source $base/big.txt" "curl=curl -s -o /dev/null $base/big.txt" \
    > "$work/times"
/usr/bin/time -v "$corvane" --dump-source "$base/big.txt" 2>"$work/corvane.time" >/dev/null
/usr/bin/time -v "$corvane" --dump-source "$base/small.txt" 2>"$work/small.time" >/dev/null
/usr/bin/time -v curl -s -o /dev/null "$base/big.txt" 2>"$work/curl.time"

python3 - "$work" "$size" <<'PY'
import os, re, sys
work, size = sys.argv[1:3]
times = dict((n, float(t)) for n, t in (l.split() for l in open(os.path.join(work, "times"))))
def peak(name):
    text = open(os.path.join(work, name + ".time")).read()
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1)) / 1024
print("Downloading %s MiB over ftp from vsftpd on loopback (median wall time, peak RSS):" % size)
for name in ("corvane", "curl"):
    print("  %-8s %8.0fms %7.2fx %8.1fMB" % (name, times[name] * 1e3,
                                             times[name] / times["curl"], peak(name)))
print("  corvane peak RSS for %s MiB: %.1fMB" % (int(size) // 16, peak("small")))
PY
