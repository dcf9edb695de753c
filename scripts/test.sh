#!/usr/bin/env bash
# Builds and runs every test: under the C locale and again under a locale with
# a decimal comma, then a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
# Each test program starts an X server of its own (scripts/on_x_server.sh,
# wired in tests/CMakeLists.txt) and runs on Qt's xcb platform there.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
jobs=$(nproc)
echo "== tests under LC_ALL=C"
LC_ALL=C ctest --test-dir build --output-on-failure -j "$jobs"
echo "== tests under LC_ALL=de_DE.UTF-8"
# The randomized tests' extra seeds walk the same code as under C; their own
# seeds run here too.
LC_ALL=de_DE.UTF-8 ctest --test-dir build --output-on-failure -j "$jobs" -E '_seed_[0-9]+$'
echo "== document tests on the scalar paths (VORPEL_SCALAR=1)"
# The scanners' vector loops switched off: their scalar paths must read and
# write every document the same.
VORPEL_SCALAR=1 LC_ALL=C ctest --test-dir build --output-on-failure -j "$jobs" \
    -R 'test_core_(xml|text|examples|plain_number)|test_board_(attributes|examples)'
if [ -f scripts/fuzz.sh ]; then
    echo "== bounded fuzzing"
    # From the seeds alone and a fixed seed: repeatable, and well under two
    # minutes.
    FUZZ_RUNS=${FUZZ_RUNS:-20000} FUZZ_FRESH=1 bash scripts/fuzz.sh
fi
# No test may write into the source tree: the examples are what a user opens
# first, and a test saving its edits there once spread into the examples.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1 &&
    ! git diff --quiet -- examples; then
    git diff --stat -- examples
    echo "the tests changed the examples" >&2
    exit 1
fi
