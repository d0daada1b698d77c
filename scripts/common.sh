# Shared set-up for scripts/run and scripts/test: install what is missing, configure, build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local wanted missing=()
    wanted=$(grep -v '^\s*#' "$ROOT/scripts/packages.txt" | grep -v '^\s*$')
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! as_root apt-get install -y --no-install-recommends "${missing[@]}"; then
        as_root apt-get update
        as_root apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# build DIR [extra cmake args...]; BUILD_TARGETS (space-separated) limits what is built.
build() {
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
    # shellcheck disable=SC2086
    cmake --build "$dir" --parallel "$(nproc)" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
}
