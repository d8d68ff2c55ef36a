#!/usr/bin/env bash
# A late-bound call; the user clicks the second line. With items 1, 4 and 5 filled, the second
# line is item 4, and loadmenu returns its text trimmed of the spaces around it.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
make_menu_file "$server_dir/Menu.dat" \
    "1|First|first text" "4|Fourth|   fourth text, trimmed   " "5|Fifth|fifth text"
before=$(md5sum <"$server_dir/Menu.dat")

xdotool mousemove 300 400
start_calls 1
wait_for_menu
echo "ok: the menu is at $menu_left,$menu_top-$menu_right,$menu_bottom"
click_line 2
finish_calls 20
result=$(call_result 1)
[[ $result == "[fourth text, trimmed]" ]] || fail "loadmenu returned $result"
echo "ok: loadmenu returned $result"
probe gone --class QuillerySnippetMenu --timeout 2 || fail "the menu is still open"
[[ $(md5sum <"$server_dir/Menu.dat") == "$before" ]] || fail "Menu.dat changed"
echo "ok: Menu.dat unchanged"
exit 0
