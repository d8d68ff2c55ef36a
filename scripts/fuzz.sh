#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan (build/fuzz) and runs
# each for SECONDS (default 300): the record codec, then a whole menu request over an arbitrary
# Menu.dat.
#
#     bash scripts/fuzz.sh [--seed N] [SECONDS]
#
# Each target starts from the seed corpus the build writes (build/fuzz/fuzz-seeds) and from the
# inputs earlier runs kept (build/fuzz/corpus/TARGET), and adds what reached new code there. An
# input that crashes a target, trips a sanitizer or breaks one of its checks is written to
# build/fuzz/crashes/; libFuzzer's whole output is in build/fuzz/logs/TARGET.log. --seed fixes
# libFuzzer's random seed (by default a new one each run). Prints each target's runs, time and
# coverage, and ends with the line "N passed, M failed"; exits non-zero when a target failed.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

seed=0 # libFuzzer's "choose one"
seconds=300
while [ $# -gt 0 ]; do
    case $1 in
    --seed)
        seed=${2:?--seed needs a number}
        shift 2
        ;;
    [0-9]*)
        seconds=$1
        shift
        ;;
    *)
        echo "usage: $0 [--seed N] [SECONDS]" >&2
        exit 2
        ;;
    esac
done

build=build/fuzz
must() {
    if ! "$@"; then
        echo "fuzz.sh: step failed: $*" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
}
must bash scripts/setup.sh
must cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUILLERY_FUZZ=ON -DQUILLERY_TESTS=OFF
must cmake --build "$build" -j 2

mkdir -p "$build/crashes" "$build/logs"
passed=0
failed=0
# Each target with the longest input worth trying: a few records for the codec; for a request,
# a file past the 22 records a request reads.
for entry in record_codec_fuzz:1200 menu_request_fuzz:6144; do
    target=${entry%%:*}
    max_len=${entry##*:}
    corpus=$build/corpus/$target
    log=$build/logs/$target.log
    mkdir -p "$corpus"
    echo "fuzz: $target for ${seconds} s (log: $log)"
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -seed="$seed" -max_len="$max_len" \
        -timeout=30 -print_final_stats=1 -artifact_prefix="$build/crashes/$target-" \
        "$corpus" "$build/fuzz-seeds" >"$log" 2>&1
    code=$?
    # libFuzzer's last status line ("#N DONE cov: C ft: F corp: K/S ...") and its closing count.
    sed -n 's/^INFO: Seed: /  seed: /p' "$log"
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 | sed 's/^/  /'
    grep -E '^Done [0-9]+ runs in' "$log" | sed 's/^/  /'
    if [ "$code" -eq 0 ]; then
        echo "  $target: no crash, no sanitizer report, no broken check"
        passed=$((passed + 1))
    else
        echo "  $target FAILED (exit $code):"
        grep -E 'invariant broken|ERROR: |SUMMARY: |Test unit written to' "$log" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
