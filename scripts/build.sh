#!/usr/bin/env bash
# Configures and builds Mirvane into build/ (program directory: build/bin).
# Extra arguments go to the CMake configure step. MIRVANE_TARGETS, when set, names the
# targets to build instead of all of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$root/build" ${MIRVANE_TARGETS:+--target $MIRVANE_TARGETS}
