#!/usr/bin/env bash
# Runs a command in a desktop session of its own: a private session bus, Xvfb with
# openbox and the accessibility bus, as a user with a screen reader has them.
# Usage: run_session.sh COMMAND [ARGS...]
set -euo pipefail
if [ -z "${MIRVANE_IN_SESSION:-}" ]; then
    export MIRVANE_IN_SESSION=1
    here=$(cd "$(dirname "$0")" && pwd)
    # Back here on the display of the suite's one starter of Xvfb with openbox.
    exec dbus-run-session -- /bin/sh "$here/../support/run_under_openbox.sh" "$0" "$@"
fi
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
