#!/usr/bin/env bash
# Builds and runs the program a user should get: build-release/bin/vorpel,
# optimised and without sanitizers, with the example project (or the
# documents given, named from the folder this script is started in). The
# program and its command-line tools are built beside it (vorpel-cam writes a
# project's manufacturing files, vorpel-roundtrip and vorpel-dxf), nothing
# else; the checked build with the tests is scripts/test.sh's build/. Without
# a display the program runs on the offscreen platform, writes a picture of
# its window to build-release/pictures/main-window.png and exits.
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
(
    cd "$project"
    bash scripts/setup.sh
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORPEL_SANITIZE=OFF \
        -DVORPEL_TESTS=OFF >/dev/null
    cmake --build build-release -j "$(nproc)" --target vorpel vorpel-cam vorpel-roundtrip vorpel-dxf
)
if [ $# -eq 0 ]; then
    set -- "$project/examples/demo.circuit"
fi
exec "$project/build-release/bin/vorpel" "$@"
