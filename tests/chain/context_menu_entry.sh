#!/usr/bin/env bash
# The one path through every part: the user right-clicks a text field in Chromium, clicks the
# "Quillery" entry of the browser's own context menu, clicks line 1 of the snippet menu, and
# the field holds that line's snippet. Runs under scripts/with-wine.sh (DISPLAY, WINEPREFIX
# set) with the CHAIN_* variables of tests/chain/run.sh.
set -uo pipefail

fail() {
    echo "FAIL: $*"
    exit 1
}

# The package as a user's copy: the DLL registered where it lies, its Menu.dat beside it.
package="$CHAIN_WORK/package"
cp -r "$CHAIN_PACKAGE" "$package" || fail "copy the package"
"$CHAIN_MENUDAT" welcome "$package/Menu.dat" off >/dev/null || fail "menudat welcome off"
wine regsvr32 /s "$(winepath -w "$package/Pennock.dll")" || fail "regsvr32"
trap 'wine regsvr32 /u /s "$(winepath -w "$package/Pennock.dll")" >/dev/null 2>&1' EXIT
echo "ok: Pennock.dll registered from $package"

# Line 1 of the menu: the text of the first filled record, as menudat lists it.
snippet=$("$CHAIN_MENUDAT" list "$package/Menu.dat" |
    sed -nE '0,/^ *[0-9]+  .*  ->  "(.*)"$/s//\1/p')
[[ -n $snippet ]] || fail "no snippet in $package/Menu.dat"
echo "ok: line 1's snippet is \"$snippet\""

# Observation only (CHAIN_MANAGED=1): the host's windows handed to the window manager, as in a
# prefix of Wine's defaults, rather than kept Wine's own as scripts/with-wine.sh sets it.
if [[ ${CHAIN_MANAGED:-} == 1 ]]; then
    wine reg add 'HKCU\Software\Wine\AppDefaults\quillery-host.exe\X11 Driver' \
        /v Managed /t REG_SZ /d Y /f >/dev/null 2>&1 || fail "managed windows for the host"
    echo "ok: the host's windows are managed by the window manager"
fi

# What the browser starts for the host: quillery-host.exe under Wine, in this prefix.
launcher="$CHAIN_WORK/quillery-host"
{
    echo '#!/bin/sh'
    # shellcheck disable=SC2016 # expanded by the launcher as it runs
    printf 'echo "start $(date +%%s%%3N) $*" >>%q\n' "$CHAIN_WORK/host-starts.log"
    printf 'export WINEPREFIX=%q WINEARCH=%q WINEDEBUG=%q DISPLAY=%q\n' \
        "$WINEPREFIX" "$WINEARCH" "$WINEDEBUG" "$DISPLAY"
    printf 'exec wine %q "$@" 2>>%q\n' "$package/quillery-host.exe" "$CHAIN_WORK/host-stderr.log"
} >"$launcher"
chmod +x "$launcher"

node "$CHAIN_ROOT/tests/chain/context_menu_entry.mjs" "$CHAIN_CHROMIUM" \
    "$CHAIN_ROOT/extension/browser" "$launcher" "$CHAIN_PROBE" "$snippet" ||
    fail "the browser's part (above)"
echo "host starts: $(wc -l <"$CHAIN_WORK/host-starts.log" 2>/dev/null || echo 0)"
[[ -s $CHAIN_WORK/host-stderr.log ]] && sed 's/^/host stderr: /' "$CHAIN_WORK/host-stderr.log"
exit 0
