#!/usr/bin/env bash
# Builds and runs the program: build/bin/vorpel with the example project (or
# the documents given). Without a display the program runs on the offscreen
# platform, writes a picture of its window to build/pictures/main-window.png
# and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
if [ $# -eq 0 ]; then
    set -- examples/demo.circuit
fi
exec build/bin/vorpel "$@"
