#!/usr/bin/env bash
# The end-to-end tests: a real script client (cscript) and a real pointer (xdotool) against the
# built Pennock.dll under Wine, each case on a display and in a Wine prefix of its own making:
#
#     tests/e2e/run.sh MINGW_BUILD_DIR NATIVE_MENUDAT [CASE...]
#     tests/e2e/run.sh --win64 I686_BUILD_DIR X86_64_BUILD_DIR NATIVE_MENUDAT [CASE...]
#
# With --win64 the cases run the 64-bit DLL in a 64-bit prefix, through the 64-bit cscript and
# regsvr32 (the prefix's system32), with the 32-bit build's menudat.exe as the Windows tool;
# without cases, only those that concern the component: registration, a request answered by a
# click, the data file that the 32-bit tools wrote, and the x64 package with both DLLs.
# Ends with the line "N passed, M failed"; exits non-zero when a case failed.
set -uo pipefail

usage() {
    echo "usage: $0 [--win64 I686_BUILD_DIR] MINGW_BUILD_DIR NATIVE_MENUDAT [CASE...]" >&2
    exit 2
}
root=$(cd "$(dirname "$0")/../.." && pwd)
i686_build=""
if [[ ${1:-} == --win64 ]]; then
    [[ $# -ge 2 ]] || usage
    i686_build=$(cd "$2" && pwd) || exit 2
    shift 2
fi
[[ $# -ge 2 ]] || usage
build=$(cd "$1" && pwd) || exit 2
menudat=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shift 2

if [[ -n $i686_build ]]; then
    export QUILLERY_WINEARCH=win64 E2E_PLATFORM=win64
    export E2E_TOOL="$i686_build/tools/menudat/menudat.exe"
    export E2E_OTHER_DLL="$i686_build/src/programs/dll/Pennock.dll"
    msi_build=$i686_build msi_width=x64
else
    export QUILLERY_WINEARCH=win32 E2E_PLATFORM=win32
    export E2E_TOOL="$build/tools/menudat/menudat.exe"
    msi_build=$build msi_width=x86
fi
# The Windows Installer package of the prefix's width, which the 32-bit build makes.
msis=("$msi_build"/Quillery-*-"$msi_width".msi)
export E2E_MSI=${msis[0]} E2E_MSI_FILES="$msi_build/installer/$msi_width"

export E2E_DLL="$build/src/programs/dll/Pennock.dll"
export E2E_PROBE="$build/tests/e2e/e2e_probe.exe"
export E2E_MENUDAT="$menudat"
export E2E_ROOT="$root"
for needed in "$E2E_DLL" "$E2E_PROBE" "$E2E_MENUDAT" "$E2E_TOOL" "$E2E_MSI"; do
    if [[ ! -e $needed ]]; then
        echo "e2e: $needed is missing: build first" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
done

# A fresh prefix for every run: nothing registered by an earlier run can make a case pass.
e2e="$build/e2e"
rm -rf "$e2e"
mkdir -p "$e2e/logs" "$e2e/work"

if [[ $# -gt 0 ]]; then
    cases=("$@")
elif [[ -n $i686_build ]]; then
    cases=(register choose_line shared_menu_dat package)
else
    # Every case but those that need a 64-bit prefix.
    cases=()
    for file in "$root"/tests/e2e/cases/*.sh; do
        [[ $file == *_win64.sh ]] || cases+=("$(basename "$file" .sh)")
    done
fi

passed=0
failed=0
for name in "${cases[@]}"; do
    export E2E_WORK="$e2e/work/$name"
    mkdir -p "$E2E_WORK"
    log="$e2e/logs/$name.log"
    start=$SECONDS
    if timeout 180 bash "$root/scripts/with-wine.sh" "$e2e" -- \
        bash "$root/tests/e2e/cases/$name.sh" >"$log" 2>&1; then
        passed=$((passed + 1))
        echo "e2e: $name ok ($((SECONDS - start)) s)"
    else
        failed=$((failed + 1))
        echo "e2e: $name FAILED ($((SECONDS - start)) s), log $log:"
        sed 's/^/    /' "$log"
    fi
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
