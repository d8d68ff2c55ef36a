#!/usr/bin/env bash
# Two processes on one Menu.dat: while a browser's request is open (its welcome window up, its
# snippets loaded), menudat.exe, another process, changes snippet 2. The open request then
# writes its own changes, the welcome answer into the header and the removal of snippet 3:
# each goes to its own record, so the file ends with both processes' changes, each record
# whole, and nothing else changed. The open menu keeps the copy it loaded; the next request
# of each process shows both changes.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

# Bytes of record N of a file, as hex.
record() {
    file_bytes "$1" $((($2 - 1) * 232)) 232
}

# Waits up to 10 s for record N of the data file to be what the expected file holds.
wait_for_record() {
    local tries=100
    until [[ $(record "$data" "$1") == $(record "$expected" "$1") ]]; do
        ((tries-- > 0)) || return 1
        sleep 0.1
    done
}

install_server "$E2E_WORK/server"
data="$server_dir/Menu.dat"
make_menu_file "$data" "1|First|first text" "2|Second|second text" "3|Third|third text"
"$E2E_MENUDAT" welcome "$data" on >/dev/null || fail "menudat welcome on"
# The file as it must end: each change made alone by the native tool.
expected="$E2E_WORK/expected.dat"
cp "$data" "$expected"
"$E2E_MENUDAT" set "$expected" 2 "Changed" "changed by the other process" >/dev/null ||
    fail "menudat set"
"$E2E_MENUDAT" remove "$expected" 3 >/dev/null || fail "menudat remove"
"$E2E_MENUDAT" welcome "$expected" off >/dev/null || fail "menudat welcome off"

xdotool mousemove 300 400
start_calls 2
probe window --title "Welcome to Quillery" >/dev/null || fail "no welcome window"
echo "ok: the first request is open, its welcome window up"

windows_menudat set "$data" 2 "Changed" "changed by the other process" >/dev/null ||
    fail "menudat.exe set while the menu is open"
[[ $(record "$data" 4) == $(record "$expected" 4) ]] || fail "snippet 2's record is not whole"
probe window --title "Welcome to Quillery" --timeout 1 >/dev/null ||
    fail "the welcome window went when the other process wrote"
echo "ok: the other process wrote snippet 2 while the request was open"

click_control "Welcome to Quillery" "Do not show this form again"
click_control "Welcome to Quillery" "&Continue"
probe gone --title "Welcome to Quillery" --timeout 5 || fail "the welcome window stayed"
wait_for_menu
first_height=$((menu_bottom - menu_top))

# Remove snippet 3 through the menu: a right click on its line, the command's access key, and
# Enter for the question's default answer, Yes. The pointer stays over the menu meanwhile.
click_line 3 3
probe window --class "#32768" --timeout 10 >/dev/null || fail "no item commands"
xdotool key r
probe window --title "Remove Item" >/dev/null || fail "no question before the removal"
xdotool key Return
probe gone --title "Remove Item" --timeout 5 || fail "the question stayed"
wait_for_record 5 || fail "snippet 3 was not removed"
echo "ok: the open menu removed snippet 3"

# The open menu still shows the snippets it loaded: its line 2 is the old snippet 2.
click_line 2
wait_for_result 1 20
[[ $(call_result 1) == "[second text]" ]] ||
    fail "the open menu returned $(call_result 1), not its own copy of snippet 2"
echo "ok: the open menu kept its own copy: $(call_result 1)"

cmp "$data" "$expected" || fail "the file is not both processes' changes and nothing else"
echo "ok: the file holds both processes' changes, each record whole, nothing else changed"

# The next request of this process: no welcome, two lines, snippet 2 as the other wrote it.
wait_for_menu
((first_height - (menu_bottom - menu_top) == 16)) ||
    fail "the next menu is $((menu_bottom - menu_top)) px high, the first $first_height"
click_line 2
finish_calls 20
[[ $(call_result 2) == "[changed by the other process]" ]] ||
    fail "the next request returned $(call_result 2)"
echo "ok: the next request shows both changes: one line fewer, and $(call_result 2)"

# The next run of the other process.
listing=$(windows_menudat list "$data") || fail "menudat.exe list"
if ! grep -q 'welcome window: off' <<<"$listing" || ! grep -q 'Changed' <<<"$listing" ||
    grep -q 'Third' <<<"$listing"; then
    fail "the other process lists: $listing"
fi
echo "ok: the other process's next run shows both changes"
exit 0
