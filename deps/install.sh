#!/bin/sh
# Installs the Debian packages listed in $1 that are not installed yet.
set -e
list="$1"
missing=""
for pkg in $(grep -v '^#' "$list"); do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $pkg"
    fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# Server packages (nginx, vsftpd, ...) would start their daemons on the system ports when
# installed; the tests start their own on loopback, so keep the package scripts from starting any.
policy=/usr/sbin/policy-rc.d
own_policy=""
if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
    $sudo chmod 755 "$policy"
    own_policy=1
fi
status=0
$sudo apt-get -o DPkg::Lock::Timeout=300 update || status=$?
[ "$status" -eq 0 ] && { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 \
    install -y --no-install-recommends $missing || status=$?; }
# inn2's own set-up stops unless inn.conf names a domain, which a fresh machine's does not: give
# it one and let dpkg finish.
if dpkg-query -W -f='${Status}' inn2 2>/dev/null | grep -q "half-configured\|unpacked"; then
    if ! grep -q '^domain:' /etc/news/inn.conf; then
        echo 'domain: localdomain' | $sudo tee -a /etc/news/inn.conf >/dev/null
    fi
    DEBIAN_FRONTEND=noninteractive $sudo dpkg --configure -a && status=0
fi
[ -n "$own_policy" ] && $sudo rm -f "$policy"
exit "$status"
