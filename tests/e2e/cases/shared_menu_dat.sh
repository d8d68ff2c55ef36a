#!/usr/bin/env bash
# One Menu.dat serves both builds of the DLL: a file that the 32-bit menudat.exe wrote is read
# by the DLL under test (the 64-bit one in a 64-bit run), and what the DLL writes back when the
# user answers the welcome window is, byte for byte, what the 32-bit tool writes for the same
# change.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
data="$server_dir/Menu.dat"
windows_menudat init "$data" http://www.example.com/quillery/menu.asp >/dev/null ||
    fail "menudat.exe init"
windows_menudat set "$data" 2 "Second" "second text, from the 32-bit tool" >/dev/null ||
    fail "menudat.exe set"
[[ $(file_bytes "$data" 230 2) == "0000" ]] || fail "the new file does not ask for the welcome"
# What the tool makes of the same file when the welcome is switched off.
expected="$E2E_WORK/expected.dat"
cp "$data" "$expected"
windows_menudat welcome "$expected" off >/dev/null || fail "menudat.exe welcome off"

xdotool mousemove 300 400
start_calls 1
probe window --title "Welcome to Quillery" >/dev/null || fail "no welcome window"
click_control "Welcome to Quillery" "Do not show this form again"
click_control "Welcome to Quillery" "&Continue"
probe gone --title "Welcome to Quillery" --timeout 5 || fail "the welcome window stayed"
wait_for_menu
# Only item 2 is filled, so it is the first line.
click_line 1
finish_calls 20
result=$(call_result 1)
[[ $result == "[second text, from the 32-bit tool]" ]] || fail "loadmenu returned $result"
echo "ok: the $E2E_PLATFORM DLL read the 32-bit tool's snippet: $result"

cmp "$data" "$expected" || fail "the DLL wrote other bytes than the 32-bit tool"
echo "ok: the DLL's write is byte for byte the 32-bit tool's"
listing=$(windows_menudat list "$data") || fail "menudat.exe list"
grep -q "second text, from the 32-bit tool" <<<"$listing" || fail "the tool lists: $listing"
echo "ok: the 32-bit tool reads the file the DLL wrote"
exit 0
