#!/bin/sh
# Runs a test program on a private X display with a notification-area host (trayer).
# Usage: run-with-tray.sh PROGRAM [ARGS...]
set -u
# The server picks a free display itself and writes its number, so no two runs can share one.
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
tray=""
cleanup() {
    [ -n "$tray" ] && kill "$tray" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -f "$number"
}
trap cleanup EXIT INT TERM
waited=0
until grep -q '[0-9]' "$number"; do
    waited=$((waited + 1)); [ $waited -le 300 ] || { echo "X display did not start"; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(tr -dc 0-9 <"$number")"

# Wait (at most 30 s each) for the display, then for the tray host's panel.
waited=0
until xwininfo -root >/dev/null 2>&1; do
    waited=$((waited + 1)); [ $waited -le 300 ] || { echo "X display did not start"; exit 1; }
    sleep 0.1
done
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 &
tray=$!
waited=0
until xwininfo -root -tree 2>/dev/null | grep -q '"panel" "trayer"'; do
    waited=$((waited + 1)); [ $waited -le 300 ] || { echo "tray host did not start"; exit 1; }
    sleep 0.1
done

# Where the host's panel is, so a test can tell when the icon has been placed in it.
export BOARDWICK_TRAY_AREA="680,568,120,32"
QT_QPA_PLATFORM=xcb "$@"
