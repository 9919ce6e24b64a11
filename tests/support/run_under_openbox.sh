#!/bin/sh
# Runs a command on a private X display of its own with openbox as the window manager,
# so that windows get real frames and placement.
#     run_under_openbox.sh COMMAND [ARG...]
set -eu
tmp=$(mktemp -d /tmp/mirvane-x.XXXXXX)
xpid=
wpid=
cleanup() {
    [ -n "$wpid" ] && kill "$wpid" 2>/dev/null || true
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xpid=$!
i=0
while [ ! -s "$tmp/display" ]; do
    i=$((i + 1))
    [ $i -lt 200 ] || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
DISPLAY=:$(cat "$tmp/display")
export DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
wpid=$!
# openbox owns the screen once it has set the supporting-window property.
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
    i=$((i + 1))
    [ $i -lt 200 ] || { echo "openbox did not start" >&2; exit 1; }
    sleep 0.1
done
QT_QPA_PLATFORM=xcb "$@"
