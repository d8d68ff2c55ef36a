#!/usr/bin/env bash
# Two loadmenu calls on one object: the second opens a fresh menu, laid out anew at the pointer,
# and each returns its own choice.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
make_menu_file "$server_dir/Menu.dat" "1|First|first text" "2|Second|second text"

xdotool mousemove 300 400
start_calls 2
wait_for_menu
first_top=$menu_top
click_line 1
wait_for_result 1 20
[[ $(call_result 1) == "[first text]" ]] || fail "first call returned $(call_result 1)"
echo "ok: the first call returned [first text]"

# The pointer stayed where it clicked, so the second menu opens lower than the first.
wait_for_menu
[[ $menu_top -ne $first_top ]] || fail "the second menu is where the first was"
echo "ok: a second menu opened at $menu_left,$menu_top"
click_line 2
finish_calls 20
[[ $(call_result 2) == "[second text]" ]] || fail "second call returned $(call_result 2)"
echo "ok: the second call returned [second text]"
exit 0
