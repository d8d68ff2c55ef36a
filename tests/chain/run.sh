#!/usr/bin/env bash
# The whole chain once, as a user meets it: a headed Chromium with the extension, the real
# quillery-host.exe and Pennock.dll under Wine, the real pointer. Not part of scripts/test.sh.
#
#     tests/chain/run.sh MINGW_BUILD_DIR NATIVE_MENUDAT
#
# The case runs on a display and in a Wine prefix of its own (MINGW_BUILD_DIR/chain, made
# afresh), under scripts/with-wine.sh. Needs the i686 build's package and e2e_probe.exe.
# Ends with the line "N passed, M failed".
set -uo pipefail

[[ $# -eq 2 ]] || {
    echo "usage: $0 MINGW_BUILD_DIR NATIVE_MENUDAT" >&2
    exit 2
}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd) || exit 2
export CHAIN_ROOT="$root"
export CHAIN_PACKAGE="$build/package"
export CHAIN_PROBE="$build/tests/e2e/e2e_probe.exe"
CHAIN_MENUDAT=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
export CHAIN_MENUDAT
export CHAIN_CHROMIUM=${QUILLERY_CHROMIUM:-/usr/lib/chromium/chromium}
for needed in "$CHAIN_PACKAGE/quillery-host.exe" "$CHAIN_PACKAGE/Pennock.dll" \
    "$CHAIN_PACKAGE/Menu.dat" "$CHAIN_PROBE" "$CHAIN_MENUDAT" "$CHAIN_CHROMIUM"; do
    if [[ ! -e $needed ]]; then
        echo "chain: $needed is missing: build first" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
done

chain="$build/chain"
rm -rf "$chain"
mkdir -p "$chain/work"
export CHAIN_WORK="$chain/work"
log="$chain/context_menu_entry.log"
start=$SECONDS
if timeout 300 bash "$root/scripts/with-wine.sh" "$chain" -- \
    bash "$root/tests/chain/context_menu_entry.sh" >"$log" 2>&1; then
    echo "chain: context_menu_entry ok ($((SECONDS - start)) s)"
    sed 's/^/    /' "$log"
    echo "1 passed, 0 failed"
else
    echo "chain: context_menu_entry FAILED ($((SECONDS - start)) s), log $log:"
    sed 's/^/    /' "$log"
    echo "0 passed, 1 failed"
    exit 1
fi
