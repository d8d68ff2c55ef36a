#!/usr/bin/env bash
# The whole chain as a user meets it: a headed Chromium with the extension, the browser's own
# context-menu entry, the real quillery-host.exe started through its manifest, the registered
# Pennock.dll and the real pointer (context_menu_entry.mjs has the checks). Runs under
# scripts/with-wine.sh (DISPLAY, WINEPREFIX set) with the CHAIN_* variables of
# tests/chain/run.sh.
set -uo pipefail

fail() {
    echo "FAIL: set-up: $*"
    echo "0 passed, 0 skipped, 1 failed"
    exit 1
}

echo "set-up: the display and the Wine prefix ready after $(($(date +%s) - CHAIN_STARTED)) s"

# The package as a new user's copy: the DLL registered where it lies, its Menu.dat beside it
# with the welcome window on, as shipped.
package="$CHAIN_WORK/package"
cp -r "$CHAIN_PACKAGE" "$package" || fail "copy the package"
timeout 120 wine regsvr32 /s "$(winepath -w "$package/Pennock.dll")" || fail "regsvr32"

# Line 1 of the menu: the text of the first filled record, as menudat lists it.
snippet=$("$CHAIN_MENUDAT" list "$package/Menu.dat" |
    sed -nE '0,/^ *[0-9]+  .*  ->  "(.*)"$/s//\1/p')
[[ -n $snippet ]] || fail "no snippet in $package/Menu.dat"
echo "set-up: DLL registered after $(($(date +%s) - CHAIN_STARTED)) s; line 1's snippet: \"$snippet\""

# What the browser starts for the host: quillery-host.exe under Wine, in this prefix. It notes
# its start and its process id, which stays the host's through the two execs.
launcher="$CHAIN_WORK/quillery-host"
starts="$CHAIN_WORK/host-starts.log"
{
    echo '#!/bin/sh'
    # shellcheck disable=SC2016 # expanded by the launcher as it runs
    printf 'echo "start $(date +%%s%%3N) $$" >>%q\n' "$starts"
    printf 'export WINEPREFIX=%q WINEARCH=%q WINEDEBUG=%q DISPLAY=%q\n' \
        "$WINEPREFIX" "$WINEARCH" "$WINEDEBUG" "$DISPLAY"
    printf 'exec wine %q "$@" 2>>%q\n' "$package/quillery-host.exe" "$CHAIN_WORK/host-stderr.log"
} >"$launcher"
chmod +x "$launcher"

exec timeout 300 node "$CHAIN_ROOT/tests/chain/context_menu_entry.mjs" "$CHAIN_CHROMIUM" \
    "$CHAIN_ROOT/extension/browser" "$launcher" "$starts" "$CHAIN_PROBE" "$snippet" \
    "$CHAIN_MENUDAT" "$package/Menu.dat"
