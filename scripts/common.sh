# Shared set-up for scripts/run, scripts/test, scripts/bench and scripts/package: install what is
# missing, configure, build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Root rights without a password prompt: root itself, or sudo that needs no password.
can_be_root() {
    [ "$(id -u)" -eq 0 ] || { command -v sudo >/dev/null && sudo -n true 2>/dev/null; }
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -n "$@"; fi
}

# ensure_packages LIST...: installs every package named in the lists (scripts/packages-LIST.txt)
# that is not installed yet.
ensure_packages() {
    local list p missing=()
    for list in "$@"; do
        for p in $(sed -e 's/#.*//' "$ROOT/scripts/packages-$list.txt"); do
            dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
        done
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local line="apt-get install -y --no-install-recommends ${missing[*]}"
    if ! can_be_root; then
        {
            echo "Boardwick needs Debian packages that are not installed: ${missing[*]}"
            echo "Installing them needs root, and neither root nor password-less sudo is available here."
            echo "Run this as root (or with sudo), then start $(basename "$0") again:"
            echo
            echo "    $line"
        } >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Daemons installed for the tests (avahi-daemon) run only inside them: none starts here.
    local policy=/usr/sbin/policy-rc.d ours=
    if [ ! -e "$policy" ]; then
        as_root sh -c "printf '#!/bin/sh\nexit 101\n' > $policy && chmod 755 $policy"
        ours=1
    fi
    # shellcheck disable=SC2086
    if ! as_root $line; then
        as_root apt-get update
        # shellcheck disable=SC2086
        as_root $line || { [ -z "$ours" ] || as_root rm -f "$policy"; return 1; }
    fi
    [ -z "$ours" ] || as_root rm -f "$policy"
    # ...nor at the next boot, where it came just now.
    if [[ " ${missing[*]} " == *" avahi-daemon "* ]] && command -v systemctl >/dev/null; then
        as_root systemctl disable avahi-daemon.service avahi-daemon.socket 2>/dev/null || true
    fi
}

# A build folder made by another generator, or for another source tree, is configured afresh.
fresh_flag() {
    local cache="$1/CMakeCache.txt" generator home
    [ -f "$cache" ] || return 0
    generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$cache")
    home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
    if [ "$generator" != Ninja ] || [ "$home" != "$ROOT" ]; then
        echo "$1 was configured with '$generator' for '$home'; configuring it afresh with Ninja" >&2
        echo --fresh
    fi
}

# build DIR [extra cmake args...]; BUILD_TARGETS (space-separated) limits what is built.
build() {
    local dir="$1"; shift
    # shellcheck disable=SC2046
    cmake $(fresh_flag "$dir") -S "$ROOT" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
    # shellcheck disable=SC2086
    cmake --build "$dir" --parallel "$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
}
