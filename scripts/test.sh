#!/usr/bin/env bash
# Installs what is missing, builds Mirvane with warnings as errors and runs every test;
# then builds it again with clang and the sanitizers in build-fuzz/, runs the offscreen
# tests there, and runs each fuzz target for a while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DMIRVANE_WERROR=ON
export QT_QPA_PLATFORM=offscreen
cd "$root/build"
# A case that fails is run once more and counts as failed only if it fails again: the
# window-manager cases depend on the timing of a real X server; every failure is printed.
ctest --output-on-failure -j"$(nproc)" --timeout 600 --repeat until-pass:2

# A second build with clang and the address and undefined-behaviour sanitizers: the
# fuzz targets and the tests. The offscreen tests run there too; those on a real X
# display and those under a limit on the address space (which the address sanitizer's
# shadow memory cannot live with) are left to the first run.
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMIRVANE_FUZZ=ON -DMIRVANE_TESTS=ON -DMIRVANE_BENCH=OFF \
  -DMIRVANE_WERROR=ON >/dev/null
cmake --build "$root/build-fuzz"
cd "$root/build-fuzz"
ctest --output-on-failure -j"$(nproc)" --timeout 600 --repeat until-pass:2 \
  -LE 'display|memory_limit|fuzz'
ctest -L fuzz --output-on-failure -j"$(nproc)"
# How far each target got, for the log.
for log in "$root"/build-fuzz/fuzz/*.run/log.txt; do
  echo "$(basename "$(dirname "$log")" .run): $(grep -h '^Done [0-9]* runs' "$log" || true)"
done
