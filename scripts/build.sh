#!/usr/bin/env bash
# Set-up, then the checked build in build/ (AddressSanitizer and
# UndefinedBehaviorSanitizer on, as CI builds it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORPEL_SANITIZE=ON -DVORPEL_TESTS=ON -DVORPEL_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
