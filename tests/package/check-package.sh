#!/usr/bin/env bash
# check-package.sh BUILD_DIR: packs BUILD_DIR into boardwick_<version>_amd64.deb, checks it with
# lintian and appstreamcli, installs it with apt-get, starts /usr/games/boardwick on a private
# Xvfb display until its window maps, and removes the package again.
set -euo pipefail
build="$1"
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package needs root"; exit 77
fi
if [ "${CI:-}" != true ]; then
    echo "SKIP: installs into this machine, so it runs only under CI=true"; exit 77
fi
if dpkg-query -W -f='${Status}' boardwick 2>/dev/null | grep -q 'install ok installed'; then
    echo "FAIL: a boardwick package is installed already; this check would replace and remove it"
    exit 1
fi

work=$(mktemp -d)
installed=0 app=0 xvfb=0
cleanup() {
    [ "$app" -ne 0 ] && kill "$app" 2>/dev/null
    [ "$xvfb" -ne 0 ] && kill "$xvfb" 2>/dev/null
    [ "$installed" -ne 0 ] && apt-get purge -y -q boardwick >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
step() { echo "== $*"; }

step "cpack"
cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/boardwick_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one boardwick_<version>_amd64.deb"; ls "$work/out"; exit 1; }
deb=${debs[0]}
echo "$(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Section Depends

step "contents"
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
for f in ./usr/games/boardwick ./usr/share/applications/boardwick.desktop \
         ./usr/share/metainfo/org.example.boardwick.metainfo.xml ./usr/share/man/man6/boardwick.6.gz \
         ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/boardwick.png; do
    grep -qx "$f" "$work/files" || { echo "FAIL: $f missing from the package"; exit 1; }
done
# Worked out from the binary, so the Qt libraries it links must be there.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "FAIL: Depends lacks libqt6widgets6"; exit 1; }

step "lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

step "appstreamcli"
dpkg-deb -x "$deb" "$work/root"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.example.boardwick.metainfo.xml"

step "apt-get install"
(cd "$(dirname "$deb")" && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q -o DPkg::Lock::Timeout=300 "./$(basename "$deb")")
installed=1
test -x /usr/games/boardwick

step "start under Xvfb"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
deadline=$((SECONDS + 30))
until grep -qs '[0-9]' "$work/display"; do
    kill -0 "$xvfb" 2>/dev/null && [ $SECONDS -lt $deadline ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    sleep 0.05
done
export DISPLAY=":$(tr -dc 0-9 <"$work/display")"
# On the X display (the suite runs its other tests offscreen), in a network of its own so that
# the program's listener meets nothing on this machine.
QT_QPA_PLATFORM=xcb unshare --net /usr/games/boardwick >"$work/app.log" 2>&1 &
app=$!
deadline=$((SECONDS + 60))
until xdotool search --onlyvisible --name '^Boardwick ver' >/dev/null 2>&1; do
    if ! kill -0 "$app" 2>/dev/null; then
        echo "FAIL: /usr/games/boardwick ended before its window mapped"; cat "$work/app.log"; exit 1
    fi
    [ $SECONDS -lt $deadline ] || { echo "FAIL: no window within 60 s"; cat "$work/app.log"; exit 1; }
    sleep 0.1
done
echo "window mapped"
kill "$app"; wait "$app" 2>/dev/null || true; app=0

step "apt-get purge"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 boardwick
installed=0
[ ! -e /usr/games/boardwick ] || { echo "FAIL: /usr/games/boardwick still there"; exit 1; }
echo "package ok"
