#!/usr/bin/env bash
# The whole chain as a user meets it: headed Chromium with the extension, the real
# quillery-host.exe and Pennock.dll under Wine, the real pointer (context_menu_entry.*):
#
#     tests/chain/run.sh MINGW_BUILD_DIR NATIVE_MENUDAT
#
# Runs on a display and in a Wine prefix of its own (MINGW_BUILD_DIR/chain, made afresh), under
# scripts/with-wine.sh; needs the i686 build's package and e2e_probe.exe. Prints each check's
# line, and ends with
# "N passed, S skipped, F failed"; exits non-zero when a check failed.
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
CHAIN_STARTED=$(date +%s)
export CHAIN_STARTED
timeout 420 bash "$root/scripts/with-wine.sh" "$chain" -- \
    bash "$root/tests/chain/context_menu_entry.sh" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
echo "chain: $((SECONDS - start)) s, exit $status; the host's stderr in $CHAIN_WORK"
if ! grep -qE '^[0-9]+ passed, [0-9]+ skipped, [0-9]+ failed$' "$log"; then
    echo "chain: the case ended without its result (log $log)"
    echo "0 passed, 1 failed"
    exit 1
fi
exit "$status"
