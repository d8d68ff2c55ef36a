#!/usr/bin/env bash
# The pointer leaves the menu without a choice: at the next tick of its timer the menu closes
# by itself and loadmenu returns the empty string.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
make_menu_file "$server_dir/Menu.dat" "1|First|first text" "2|Second|second text"

xdotool mousemove 300 400
start_calls 1
wait_for_menu
xdotool mousemove 900 700
finish_calls 20
result=$(call_result 1)
[[ $result == "[]" ]] || fail "loadmenu returned $result"
echo "ok: loadmenu returned the empty string"
probe gone --class QuillerySnippetMenu --timeout 2 || fail "the menu is still open"
echo "ok: the menu closed"
exit 0
