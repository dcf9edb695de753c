#!/usr/bin/env bash
# Builds and runs the program's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec build/bin/vorpel "$@"
