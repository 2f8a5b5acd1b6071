# Sourced by the comparison scripts: installs, with apt-get, the Debian packages of the tools a
# comparison needs and does not find. Each argument is PACKAGE:COMMAND (a name on PATH or a path).
need_tools() {
    missing=""
    for tool in "$@"; do
        command -v "${tool#*:}" >/dev/null 2>&1 || missing="$missing ${tool%%:*}"
    done
    [ -n "$missing" ] || return 0
    echo "Installing:$missing"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
}
