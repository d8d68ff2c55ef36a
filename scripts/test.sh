#!/usr/bin/env bash
# Runs every test on a fresh machine: installs what is missing, builds natively (plain and
# with AddressSanitizer + UBSan) and for 32-bit and 64-bit Windows, runs the native unit tests,
# the browser extension's tests in headless Chromium and Firefox ESR, a short run of each fuzz
# target (scripts/fuzz.sh, 30 seconds each, a fixed seed), the layering check of every source
# file's includes (scripts/check-layers.py), then the Windows tests under Wine on a
# virtual display (the resident program Quillery.exe among them, driven by a real hotkey), then
# the end-to-end tests (regsvr32, cscript and xdotool against the built DLL, and the Windows
# Installer packages under Wine's msiexec), then the whole
# chain (Chromium's own menu entry, the extension, the native host through its manifest and the
# registered DLL, a real pointer); for the 64-bit DLL, the tests that concern the component,
# under a 64-bit prefix. Ends with one "N passed, S skipped, F failed" line.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
jobs=$(nproc)
summary=()
passed=0
skipped=0
failed=0
status=0

step() { printf '\n=== %s\n' "$*"; }

# Runs a test command, shows its output, and adds the counts of its closing line to the
# totals: ctest's "N% tests passed, F tests failed out of T", or a plain "P passed, F failed"
# or "P passed, S skipped, F failed".
# ctest counts a skipped test among those that passed and lists it as "(Skipped)" under "The
# following tests did not run"; here it counts as skipped.
run_counted() {
    local name=$1
    shift
    local log
    log=$(mktemp)
    "$@" 2>&1 | tee "$log"
    local code=${PIPESTATUS[0]}
    local counts
    counts=$(sed -nE \
        -e 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/ctest \1 \2/p' \
        -e 's/^([0-9]+) passed, ([0-9]+) failed$/plain \1 \2 0/p' \
        -e 's/^([0-9]+) passed, ([0-9]+) skipped, ([0-9]+) failed$/plain \1 \3 \2/p' "$log" |
        tail -n 1)
    local skips
    skips=$(grep -cE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")
    rm -f "$log"
    local kind first second third good bad
    read -r kind first second third <<<"$counts"
    case $kind in
    ctest) bad=$first good=$((second - first - skips)) ;;
    plain) good=$first bad=$second skips=$third ;;
    *)
        summary+=("$name: no result (exit $code)")
        failed=$((failed + 1))
        status=1
        return
        ;;
    esac
    passed=$((passed + good))
    skipped=$((skipped + skips))
    failed=$((failed + bad))
    summary+=("$name: $good passed, $skips skipped, $bad failed")
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
run_counted "native" ctest --test-dir build/native --output-on-failure -j "$jobs"

step "the browser extension in headless Chromium and Firefox ESR"
version=$(sed -nE 's/^project\(Quillery VERSION ([0-9.]+) .*/\1/p' CMakeLists.txt)
QUILLERY_FIREFOX_XPI="$root/build/native/quillery-$version-firefox.xpi" \
    run_counted "browser" bash tests/browser/run.sh

step "native build with AddressSanitizer and UndefinedBehaviorSanitizer"
must cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLERY_SANITIZE=ON
must cmake --build build/sanitize -j "$jobs"

step "native unit tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_counted "sanitizers" ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

# Each fuzz target for 30 seconds from a fixed seed; scripts/fuzz.sh alone runs them longer.
step "fuzz targets: the record codec and a whole request over an arbitrary Menu.dat"
run_counted "fuzz" bash scripts/fuzz.sh --seed 1 30

# The 64-bit build first: the 32-bit build makes the x64 Windows Installer package of its DLL
# and programs.
step "Windows build (MinGW-w64, x86_64)"
must cmake -S . -B build/mingw64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
    -DQUILLERY_HOST_MENUDAT="$root/build/native/tools/menudat/menudat"
must cmake --build build/mingw64 -j "$jobs"

step "Windows build (MinGW-w64, i686)"
must cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DQUILLERY_HOST_MENUDAT="$root/build/native/tools/menudat/menudat" \
    -DQUILLERY_PACKAGE_X64_DLL="$root/build/mingw64/package/Pennock.dll"
must cmake --build build/mingw -j "$jobs"

# Every include of src/ against the layer table (each build has already refused a link against it).
step "layering: every include against the layer table"
run_counted "layers" python3 scripts/check-layers.py

step "Windows tests under Wine"
run_counted "wine" bash scripts/with-wine.sh build/mingw -- \
    ctest --test-dir build/mingw -LE 'host|resident' --output-on-failure

# The native messaging host: quillery-host.exe with pipes, its messages and a real request.
step "native messaging host under Wine"
run_counted "host" bash scripts/with-wine.sh build/mingw -- \
    ctest --test-dir build/mingw -L host --output-on-failure

# Quillery.exe: the hotkey pressed in another program, the menu at its caret, the snippet typed.
step "the resident program under Wine: the hotkey in another program"
run_counted "resident" bash scripts/with-wine.sh build/mingw -- \
    ctest --test-dir build/mingw -L resident --output-on-failure

step "end-to-end tests under Wine: a script client and a real pointer"
run_counted "e2e" bash tests/e2e/run.sh build/mingw build/native/tools/menudat/menudat

# The path a user of Chromium takes, through the whole product at once.
step "the whole chain: Chromium's own menu entry, the extension, the native host, the DLL"
run_counted "chain" bash tests/chain/run.sh build/mingw build/native/tools/menudat/menudat

step "the 32-bit and the 64-bit DLL: exports, version resource, imports, packages"
run_counted "dlls" bash scripts/compare-dlls.sh build/mingw build/mingw64

step "64-bit Windows tests of the component under a 64-bit Wine prefix"
run_counted "wine64" bash scripts/with-wine.sh build/mingw64 -- \
    ctest --test-dir build/mingw64 -L component --output-on-failure

step "64-bit end-to-end tests: the 64-bit cscript and regsvr32"
run_counted "e2e64" bash tests/e2e/run.sh --win64 build/mingw build/mingw64 \
    build/native/tools/menudat/menudat

step "summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $skipped skipped, $failed failed"
exit $status
