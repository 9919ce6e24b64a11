#!/usr/bin/env bash
# Installs what is missing, builds Mirvane with warnings as errors and runs every test;
# then builds it again with clang and the sanitizers in build-fuzz/, runs the offscreen
# tests there, and runs each fuzz target for a while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The include graph first: it costs nothing. A circle or an upward include fails the
# command, but the build and the tests still run, so that their results show as well.
/usr/bin/python3 "$root/scripts/include-graph.py" || failed=1
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DMIRVANE_WERROR=ON
# Node's mail parser for the SMTP tests, as the lock file pins it.
(cd "$root/tests/bsmtp/readers" && npm ci --no-audit --no-fund --loglevel=error)
export QT_QPA_PLATFORM=offscreen
cd "$root/build"
# Only the cases on a real X display (label "display") depend on the window manager's
# timing: one of those that fails runs once more and counts only if it fails again. Every
# failure is printed; both runs happen before the result counts.
ctest --output-on-failure -j"$(nproc)" --timeout 600 -LE display || failed=1
ctest --output-on-failure -j"$(nproc)" --timeout 600 -L display --repeat until-pass:2 || failed=1
[ -z "${failed:-}" ]

# A second build with clang and the address and undefined-behaviour sanitizers: the
# fuzz targets and the tests. The offscreen tests run there too; those on a real X
# display and those under a limit on the address space (which the address sanitizer's
# shadow memory cannot live with) are left to the first run.
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMIRVANE_FUZZ=ON -DMIRVANE_TESTS=ON -DMIRVANE_BENCH=OFF \
  -DMIRVANE_WERROR=ON >/dev/null
cmake --build "$root/build-fuzz"
cd "$root/build-fuzz"
ctest --output-on-failure -j"$(nproc)" --timeout 600 -LE 'display|memory_limit|fuzz'
ctest -L fuzz --output-on-failure -j"$(nproc)"
# How far each target got, for the log.
for log in "$root"/build-fuzz/fuzz/*.run/log.txt; do
  echo "$(basename "$(dirname "$log")" .run): $(grep -h '^Done [0-9]* runs' "$log" || true)"
done
