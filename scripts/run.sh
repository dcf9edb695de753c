#!/usr/bin/env bash
# Builds and runs the program a user should get: build-release/bin/vorpel,
# optimised and without sanitizers, with the example project (or the
# documents given). Only the program and what it needs are built; the checked
# build with the tests is scripts/test.sh's build/. Without a display the
# program runs on the offscreen platform, writes a picture of its window to
# build-release/pictures/main-window.png and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORPEL_SANITIZE=OFF \
    -DVORPEL_TESTS=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target vorpel
if [ $# -eq 0 ]; then
    set -- examples/demo.circuit
fi
exec build-release/bin/vorpel "$@"
