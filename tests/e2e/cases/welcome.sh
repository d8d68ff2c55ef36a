#!/usr/bin/env bash
# A new user's data file: the welcome window comes first, with the display's keyboard. The user
# answers it with keys alone (Continue has the focus; Tab, Space tick "Do not show this form
# again"; Shift+Tab, Space press Continue); the menu follows with the keyboard, Down and Return
# choose line 1, and the header's Flag (bytes 230-231) is 1.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
data="$server_dir/Menu.dat"
make_menu_file "$data" "1|First|first text"
"$E2E_MENUDAT" welcome "$data" on >/dev/null || fail "menudat welcome on"
[[ $(file_bytes "$data" 230 2) == "0000" ]] || fail "the new file's Flag is not 0"
header_before=$(file_bytes "$data" 0 230)

xdotool mousemove 300 400
start_calls 1
probe window --title "Welcome to Quillery" >/dev/null || fail "no welcome window"
wait_for_keyboard --title "Welcome to Quillery"
echo "ok: the welcome window is up with the keyboard"
xdotool key Tab space shift+Tab space
probe gone --title "Welcome to Quillery" --timeout 5 || fail "the welcome window stayed"
wait_for_menu
wait_for_keyboard --class QuillerySnippetMenu
echo "ok: the menu follows with the keyboard"
xdotool key Down Return
finish_calls 20
[[ $(call_result 1) == "[first text]" ]] || fail "loadmenu returned $(call_result 1)"
echo "ok: loadmenu returned [first text]"
flag=$(file_bytes "$data" 230 2)
[[ $flag == "0100" ]] || fail "the header's Flag bytes are $flag"
[[ $(file_bytes "$data" 0 230) == "$header_before" ]] || fail "the header's other bytes changed"
echo "ok: the header's Flag is 1, the rest of the header unchanged"
exit 0
