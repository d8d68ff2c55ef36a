#!/usr/bin/env bash
# No Menu.dat beside the DLL: the user sees "Error opening data file", dismisses it, and the
# call returns. The component never creates the file.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
xdotool mousemove 300 400
start_calls 1
texts=$(probe texts --title Quillery) || fail "no message box appeared"
grep -qx "Error opening data file" <<<"$texts" || fail "the box says: $texts"
echo "ok: the box says \"Error opening data file\""
click_control Quillery OK
finish_calls 20
result=$(call_result 1)
[[ $result == "[]" ]] || fail "loadmenu returned $result"
echo "ok: the call returned the empty string"
grep -q "^exit=0" "$call_out" || fail "the client failed: $(cat "$call_out")"
probe gone --title Quillery --timeout 1 || fail "another box is up"
probe gone --class QuillerySnippetMenu --timeout 1 || fail "a menu is up"
[[ ! -e $server_dir/Menu.dat ]] || fail "Menu.dat was created"
echo "ok: no Menu.dat was created"
exit 0
