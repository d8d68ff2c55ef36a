#!/usr/bin/env bash
# Runs every test on a fresh machine: installs what is missing, builds natively (plain and
# with AddressSanitizer + UBSan) and for 32-bit Windows, runs the native unit tests, then the
# Windows tests under Wine on a virtual display, then the end-to-end tests (regsvr32, cscript
# and xdotool against the built DLL). Ends with one "N passed, N failed" line.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
summary=()
passed=0
failed=0
status=0

step() { printf '\n=== %s\n' "$*"; }

# Runs ctest and adds its counts to the totals.
run_ctest() {
    local name=$1
    shift
    local log
    log=$(mktemp)
    "$@" 2>&1 | tee "$log"
    local code=${PIPESTATUS[0]}
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [ -z "$line" ]; then
        summary+=("$name: no result (exit $code)")
        failed=$((failed + 1))
        status=1
        return
    fi
    local total failures
    failures=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - failures))
    failed=$((failed + failures))
    summary+=("$name: $((total - failures)) passed, $failures failed")
    if [ "$code" -ne 0 ] || [ "$failures" -ne 0 ]; then
        status=1
    fi
}

# Runs a test runner whose last line reads "N passed, M failed" and adds its counts.
run_counted() {
    local name=$1
    shift
    local log
    log=$(mktemp)
    "$@" 2>&1 | tee "$log"
    local code=${PIPESTATUS[0]}
    local line
    line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)
    rm -f "$log"
    if [ -z "$line" ]; then
        summary+=("$name: no result (exit $code)")
        failed=$((failed + 1))
        status=1
        return
    fi
    local good bad
    good=$(sed -E 's/^([0-9]+) passed.*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$line")
    passed=$((passed + good))
    failed=$((failed + bad))
    summary+=("$name: $good passed, $bad failed")
    if [ "$code" -ne 0 ] || [ "$bad" -ne 0 ]; then
        status=1
    fi
}

must() {
    if ! "$@"; then
        echo "test.sh: step failed: $*" >&2
        exit 1
    fi
}

step "setup"
must bash scripts/setup.sh

step "native build"
must cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug
must cmake --build build/native -j "$jobs"

step "native unit tests"
run_ctest "native" ctest --test-dir build/native --output-on-failure -j "$jobs"

step "native build with AddressSanitizer and UndefinedBehaviorSanitizer"
must cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLERY_SANITIZE=ON
must cmake --build build/sanitize -j "$jobs"

step "native unit tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest "sanitizers" ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

step "Windows build (MinGW-w64, i686)"
must cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DQUILLERY_HOST_MENUDAT="$root/build/native/tools/menudat/menudat"
must cmake --build build/mingw -j "$jobs"

step "Windows tests under Wine"
run_ctest "wine" bash scripts/with-wine.sh build/mingw -- \
    ctest --test-dir build/mingw --output-on-failure

step "end-to-end tests under Wine: a script client and a real pointer"
run_counted "e2e" bash tests/e2e/run.sh build/mingw build/native/tools/menudat/menudat

step "summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed"
exit $status
