#!/usr/bin/env bash
# Builds the optimised build-release/ (no sanitizers) and runs every
# benchmark. Each one prints "RATIO <name> <measured> <goal>" lines last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORPEL_SANITIZE=OFF \
    -DVORPEL_TESTS=OFF -DVORPEL_BENCH=ON >/dev/null
cmake --build build-release -j "$(nproc)"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
status=0
for b in build-release/bin/bench_*; do
    [ -x "$b" ] || continue
    echo "== $b"
    "$b" || status=1
done
exit $status
