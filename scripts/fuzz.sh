#!/usr/bin/env bash
# scripts/fuzz.sh [RUNS [JOBS]]
#
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and runs
# each for RUNS inputs (default $FUZZ_RUNS, else 20000) in JOBS processes
# (default $FUZZ_JOBS, else 1); more than one process uses libFuzzer's fork
# mode, which shares out the runs and merges what each process finds.
#
# The corpus is kept between runs in fuzz-corpus-work/<target>/ (ignored by
# git and outside every build folder): each run starts from it, the seeds in
# tests/fuzz/corpus/ and the example documents, and adds what it finds. An
# input that fails is kept in fuzz-corpus-work/failures/ and named at the end;
# once mended, copy it into tests/fuzz/corpus/ as a seed.
#
# FUZZ_SEED: the random seed (default 1; 0 lets libFuzzer pick one).
# FUZZ_ARGS: further libFuzzer flags, e.g. "-entropic=0", which halves the
# time an input takes on a large corpus (for the long runs).
# FUZZ_FRESH=1: start from the seeds alone in a scratch corpus and keep
# nothing, so that a run with a fixed seed is repeatable (the bounded run of
# scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-${FUZZ_RUNS:-20000}}
jobs=${2:-${FUZZ_JOBS:-1}}
seed=${FUZZ_SEED:-1}
if ! [[ "$runs" =~ ^[0-9]+$ && "$jobs" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/fuzz.sh [RUNS [JOBS]]" >&2
    exit 2
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DVORPEL_SANITIZE=ON -DVORPEL_TESTS=OFF -DVORPEL_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_xml fuzz_dxf

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
# The document target draws text: the font libraries Qt loads keep some of
# their memory to the end, as in the tests.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
# The target saves every input twice; in memory that takes no disk waits.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
work=$PWD/fuzz-corpus-work
failures=$work/failures
mkdir -p "$failures"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for target in build-fuzz/bin/fuzz_*; do
    name=$(basename "$target")
    if [ "${FUZZ_FRESH:-0}" = 1 ]; then
        corpus=$scratch/$name
    else
        corpus=$work/$name
    fi
    mkdir -p "$corpus"
    log=$scratch/$name.log
    # Each target starts from inputs of its own format; new inputs go to the
    # first folder, the seeds are only read.
    case "$name" in
    fuzz_dxf)
        max_len=32768
        seeds=(tests/views/dxf tests/fuzz/dxf_corpus)
        ;;
    *)
        max_len=8192
        seeds=(tests/fuzz/corpus examples)
        ;;
    esac
    # An input is a hang after minutes of wall time, which a busy machine
    # stretches; a slow input is the benchmarks' and the capped tests' to find.
    args=(-seed="$seed" -runs="$runs" -max_len="$max_len" -timeout=120 -rss_limit_mb=2048
        -artifact_prefix="$failures/$name-" ${FUZZ_ARGS:-} "$corpus" "${seeds[@]}")
    if [ "$jobs" -gt 1 ]; then
        # Fork mode passes over timeouts and running out of memory unless told
        # otherwise; here they are failures like any other.
        args=(-fork="$jobs" -ignore_timeouts=0 -ignore_ooms=0 "${args[@]}")
    fi
    echo "== $name: $runs runs in $jobs process(es), corpus $corpus"
    marker=$scratch/$name.start
    touch "$marker"
    start=$(date +%s)
    set +e
    "$target" "${args[@]}" >"$log" 2>&1
    result=$?
    set -e
    seconds=$(($(date +%s) - start))
    # The last progress line ("#N ...") or the closing "Done N runs" holds the
    # count of inputs run.
    done_runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p; s/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
    files=$(find "$corpus" -type f | wc -l)
    size=$(du -sk --apparent-size "$corpus" | cut -f1)
    echo "$name: ${done_runs:-?} inputs in ${seconds} s; corpus $files files, ${size} KB"
    if [ "$result" -ne 0 ]; then
        status=1
        cp "$log" "$failures/$name.log"
        tail -n 40 "$log" >&2
        echo "fuzz: $name failed (log: $failures/$name.log); failing inputs kept:" >&2
        found=0
        while IFS= read -r f; do
            echo "  $f" >&2
            found=1
        done < <(find "$failures" -type f -name "$name-*" -newer "$marker")
        [ "$found" = 1 ] || echo "  (none written; see the log)" >&2
        echo "fuzz: reproduce with $target <input>" >&2
    fi
done
exit $status
