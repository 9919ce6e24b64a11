#!/usr/bin/env bash
# Installs what is missing, builds Mirvane and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# Only what the program needs: itself with libbsmtp.so, emoji.exe and the help file.
MIRVANE_TARGETS="mirvane mirvane_emoji mirvane_help" "$root/scripts/build.sh"
exec "$root/build/bin/mirvane"
