#!/bin/sh
# Retrieves 1,000 messages of 10 KB from dovecot's POP3 server on loopback with
# `corvane --check-mail` and with a minimal Python poplib client (bench/pop_fetch.py), in
# interleaved rounds, and reports the median times as a ratio; then corvane's peak memory for
# 100 and for 1,000 messages, which should not differ much.
# usage: compare_mail.sh CORVANE [RUNS]   (as root: dovecot runs the mail processes as nobody)
set -e
corvane="$1"
runs="${2:-3}"
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$corvane" ] || { echo "compare_mail.sh: no corvane at '$corvane'" >&2; exit 1; }
. "$here/need_tools.sh"
need_tools dovecot-pop3d:/usr/sbin/dovecot time:/usr/bin/time python3:python3

# Short: dovecot's socket paths must stay under about 100 bytes.
work=$(mktemp -d /tmp/cvmXXXXXX)
chmod 755 "$work"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; sleep 0.5; rm -rf "$work"' EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$work/run" "$work/state"
python3 - "$work" <<'PY'
import os, sys
work = sys.argv[1]
for user, count in (("big", 1000), ("small", 100)):
    new = os.path.join(work, "home", user, "Maildir", "new")
    for sub in ("new", "cur", "tmp"):
        os.makedirs(os.path.join(work, "home", user, "Maildir", sub), exist_ok=True)
    for number in range(count):
        body = "".join("line %05d of message %04d .. with some text to fill it up ....\n"
                       % (line, number) for line in range(150))
        with open(os.path.join(new, "%d.M%dP1.bench" % (1600000000 + number, number)), "w") as f:
            f.write("From: Bench <bench@example.test>\nSubject: message %d\n"
                    "Message-ID: <%d@bench.test>\n\n%s" % (number, number, body))
PY
chown -R nobody:nogroup "$work/home"
printf 'big:{PLAIN}pw::::::\nsmall:{PLAIN}pw::::::\n' > "$work/passwd"
chgrp dovecot "$work/passwd"; chmod 640 "$work/passwd"
cat > "$work/dovecot.conf" <<CONF
protocols = pop3
listen = 127.0.0.1
base_dir = $work/run
state_dir = $work/state
log_path = $work/dovecot.log
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
auth_failure_delay = 0
passdb {
  driver = passwd-file
  args = $work/passwd
}
userdb {
  driver = static
  args = uid=nobody gid=nogroup home=$work/home/%u
}
mail_location = maildir:~/Maildir
pop3_uidl_format = %08Xu%08Xv
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
  inet_listener pop3s {
    port = 0
  }
}
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
CONF
/usr/sbin/dovecot -F -c "$work/dovecot.conf" 2>"$work/stderr.log" &
pid=$!
for _ in $(seq 100); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port)).close()" \
        2>/dev/null && break
    sleep 0.1
done

# Each corvane run starts from an empty mail directory holding only the account, so every
# message is new to it.
nibbles() { python3 -c "import sys; print(''.join(chr(64+(b>>4))+chr(64+(b&15)) for b in sys.argv[1].encode()))" "$1"; }
for user in big small; do
    mkdir -p "$work/template-$user/mail"
    echo "$user@127.0.0.1:$port=127.0.0.1:$port;$(nibbles $user);$(nibbles pw);@;In;H" \
        > "$work/template-$user/mail/mailbox.ini"
    cat > "$work/corvane-$user.sh" <<RUN
#!/bin/sh
rm -rf "$work/profile-$user" && cp -r "$work/template-$user" "$work/profile-$user"
exec "$corvane" --profile "$work/profile-$user" --check-mail 2>/dev/null
RUN
    chmod 755 "$work/corvane-$user.sh"
done

python3 "$here/paired_times.py" "$runs" 1 \
    "corvane=$work/corvane-big.sh" \
    "poplib=python3 $here/pop_fetch.py 127.0.0.1 $port big pw $work/poplib" > "$work/times"
time_of() { awk -v n="$1" '$1 == n { print $2 }' "$work/times"; }
ours=$(time_of corvane)
theirs=$(time_of poplib)
echo "POP3 retrieval of 1,000 messages of 10 KB from dovecot (median of $runs rounds):"
echo "  corvane ${ours}s, python poplib ${theirs}s, ratio $(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')"
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
echo "  corvane peak memory: 100 messages $(peak "$work/corvane-small.sh") KB," \
     "1,000 messages $(peak "$work/corvane-big.sh") KB"
