#!/usr/bin/env bash
# Runs SEEDS seeds (FIRST, FIRST+1, ...; FIRST defaults to 1) of every
# randomized test of the checked build in build/, JOBS at a time, under the
# sanitizers, and names each failing test and seed. The tests and their
# gtest filters are the ones build/random_tests.txt lists (CMake writes it);
# ONLY=regex keeps the tests whose name matches. Each run's output is kept
# in build/random-logs/TEST-SEED.log; a failure replays with
#   VORPEL_RANDOM_SEED=SEED build/bin/TEST --gtest_filter=FILTER
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: scripts/random.sh SEEDS JOBS [FIRST]" >&2
    exit 2
fi
seeds=$1 jobs=$2 first=${3:-1}
list=build/random_tests.txt
if [ ! -f "$list" ]; then
    echo "no $list: configure and build the checked build in build/ first" >&2
    exit 2
fi
# Each run on an X server of its own, as ctest runs the tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LC_ALL=${LC_ALL:-C}
logs=build/random-logs
rm -rf "$logs"
mkdir -p "$logs"

runs=$(mktemp) tests=$(mktemp)
trap 'rm -f "$runs" "$tests"' EXIT
while read -r test filter; do
    [ -n "$test" ] || continue
    if [ -n "${ONLY:-}" ] && ! [[ $test =~ $ONLY ]]; then
        continue
    fi
    if [ ! -x "build/bin/$test" ]; then
        echo "build/bin/$test is not built" >&2
        exit 2
    fi
    echo "$test $filter" >>"$tests"
done <"$list"
# Seed by seed, every test at each: a run cut short has walked each test
# through the same first seeds.
for ((seed = first; seed < first + seeds; ++seed)); do
    while read -r test filter; do
        echo "$test $filter $seed" >>"$runs"
    done <"$tests"
done

total=$(wc -l <"$runs")
echo "$total runs, $jobs at a time"
start=$(date +%s)
# Each run leaves its log and, when it fails, a line in failed.txt.
# shellcheck disable=SC2016
xargs -P "$jobs" -L 1 bash -c '
    test=$0 filter=$1 seed=$2
    log='"$logs"'/$test-$seed.log
    if VORPEL_RANDOM_SEED=$seed timeout 1800 scripts/on_x_server.sh build/bin/$test --gtest_filter="$filter" \
        >"$log" 2>&1; then
        echo "ok     $test seed $seed"
    else
        echo "FAILED $test seed $seed"
        echo "$test $seed" >>'"$logs"'/failed.txt
    fi
' <"$runs"
elapsed=$(($(date +%s) - start))
echo "$total runs in $((elapsed / 60)) min $((elapsed % 60)) s"
if [ -s "$logs/failed.txt" ]; then
    echo "failing (test seed), logs in $logs:"
    sort "$logs/failed.txt"
    exit 1
fi
echo "all passed"
