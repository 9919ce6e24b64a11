#!/usr/bin/env bash
# Runs a command in a desktop session of its own: a private session bus, Xvfb with
# openbox and the accessibility bus, as a user with a screen reader has them.
# Usage: run_session.sh COMMAND [ARGS...]
set -euo pipefail
if [ -z "${MIRVANE_IN_SESSION:-}" ]; then
    export MIRVANE_IN_SESSION=1
    exec dbus-run-session -- "$0" "$@"
fi
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 20 display <&3
export DISPLAY=":$display"
openbox >/dev/null 2>&1 &
wm_pid=$!
trap 'kill $wm_pid $xvfb_pid 2>/dev/null || true' EXIT
# The session bus starts the accessibility bus on the first question to it.
for _ in $(seq 100); do
    if dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1; then
        break
    fi
    sleep 0.1
done
# The program runs on this display whatever platform the rest of the suite uses.
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
"$@"
