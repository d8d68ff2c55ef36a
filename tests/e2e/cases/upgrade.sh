#!/usr/bin/env bash
# Upgrading, as Windows users do it: install.cmd of a newer package while a running request
# still holds the installed DLL stops before changing anything and asks to close the browser;
# once the request has ended the same install completes, with the list of installed programs
# showing the new version. The list's own uninstall command removes everything but Menu.dat,
# a second uninstall ends cleanly, and so does an install that fails halfway (its 64-bit
# registration) and the uninstall after it. Nothing is left of the native messaging host either.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

programs='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillery'
menu_ext='HKCU\Software\Microsoft\Internet Explorer\MenuExt\Quillery'
target="$(winepath -u "$(wine cmd /c echo "%LOCALAPPDATA%" | tr -d '\r')")/Quillery"
[[ $target == /* ]] || fail "no LOCALAPPDATA folder"

# A newer package: the same files, with 1.0.0.4 in the DLL's version resource (the fixed
# file and product versions after the resource's signature), and a 64-bit DLL beside it,
# which a 32-bit system does not install.
old="$E2E_PACKAGE"
new="$E2E_WORK/newer"
cp -r "$old" "$new"
perl -0777 -i -pe \
    's/(\xBD\x04\xEF\xFE.{8})\x03\x00\x00\x00(.{4})\x03\x00\x00\x00/${1}\x04\x00\x00\x00${2}\x04\x00\x00\x00/s' \
    "$new/Pennock.dll"
cmp -s "$old/Pennock.dll" "$new/Pennock.dll" && fail "could not make the newer DLL"
mkdir -p "$new/x64"
cp "$new/Pennock.dll" "$new/x64/Pennock.dll"

# Runs install.cmd or uninstall.cmd of package folder $1 with its arguments; its output is in
# $setup_out. With "--as64" first, cmd pretends to be a 32-bit process on 64-bit Windows.
setup_out=""
setup() {
    local prefix=""
    if [[ $1 == --as64 ]]; then
        prefix="set PROCESSOR_ARCHITEW6432=AMD64&& "
        shift
    fi
    local folder
    folder=$(winpath "$1")
    shift
    setup_out=$(wine cmd /c "$prefix$folder\\$*" 2>&1 | tr -d '\r')
    local status=${PIPESTATUS[0]}
    printf '%s\n' "$setup_out" | sed 's/^/    | /'
    return "$status"
}

installed_version() {
    reg_value "$programs" DisplayVersion
}

registered_path() {
    reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" ""
}

# Nothing of Quillery left but the user's Menu.dat: no other file, no key of its own.
expect_only_menu_dat() {
    local left
    left=$(cd "$target" && find . -mindepth 1 | sort | tr '\n' ' ')
    [[ $left == "./Menu.dat " ]] || fail "$1: left in the install folder: $left"
    local key
    for key in "HKCR\\CLSID\\$CLSID" "HKCR\\Pennock.DoBiz" "HKCR\\TypeLib\\$LIBID" \
        "HKCR\\Interface\\$IID" "HKCU\\Software\\Classes\\CLSID\\$CLSID" \
        "HKCU\\Software\\Classes\\Pennock.DoBiz" "$menu_ext" "$programs" \
        'HKCU\Software\Google\Chrome\NativeMessagingHosts\quillery' \
        'HKCU\Software\Microsoft\Edge\NativeMessagingHosts\quillery' \
        'HKCU\Software\Mozilla\NativeMessagingHosts\quillery'; do
        key_exists "$key" && fail "$1: $key is left"
    done
    cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "$1: Menu.dat changed"
    echo "ok: $1: nothing left but the user's Menu.dat"
}

setup "$old" install.cmd || fail "installing the first version"
[[ $(installed_version) == 1.0.0.3 ]] || fail "the list shows version $(installed_version)"
"$E2E_MENUDAT" welcome "$target/Menu.dat" off >/dev/null || fail "menudat welcome"
"$E2E_MENUDAT" set "$target/Menu.dat" 1 "Mine" "my own snippet" >/dev/null || fail "menudat set"
cp "$target/Menu.dat" "$E2E_WORK/mine.dat"
registered=$(registered_path)
echo "ok: version 1.0.0.3 installed and registered at $registered"

# A request holds the installed DLL: its menu is open, in a corner away from where message
# boxes appear.
xdotool mousemove 60 300
start_calls 1
wait_for_menu
setup "$new" install.cmd && fail "install.cmd replaced a DLL in use"
[[ $setup_out == *"Close the browser"* ]] || fail "install.cmd did not ask to close the browser"
[[ $setup_out == *"Nothing was changed"* ]] || fail "install.cmd did not say nothing changed"
cmp -s "$old/Pennock.dll" "$target/Pennock.dll" || fail "the DLL in use was changed"
cmp -s "$old/setup.js" "$target/setup.js" || fail "setup.js was changed"
[[ $(installed_version) == 1.0.0.3 ]] || fail "the list shows version $(installed_version)"
[[ $(registered_path) == "$registered" ]] || fail "the registration moved"
echo "ok: the upgrade stops before changing anything while the DLL is in use"
setup "$old" uninstall.cmd && fail "uninstall.cmd removed a DLL in use"
[[ $setup_out == *"Close the browser"* ]] || fail "uninstall.cmd did not ask to close the browser"
key_exists "$programs" || fail "uninstalling while in use removed the list's entry"
key_exists "$menu_ext" || fail "uninstalling while in use removed the menu entry"
[[ $(registered_path) == "$registered" ]] || fail "uninstalling while in use unregistered"
echo "ok: uninstall also stops before changing anything while the DLL is in use"

# The same from Windows' list of programs, which shows no console: the message comes in a
# message box, and the command fails once it is answered.
probe uninstall Quillery >"$E2E_WORK/list.out" 2>&1 &
list_pid=$!
texts=$(probe texts --title Quillery --class '#32770') || fail "the list's uninstall said nothing"
[[ $texts == *"Close the browser"* ]] || fail "the list's uninstall said: $texts"
point=$(probe control OK --title Quillery --class '#32770') || fail "no OK in the message box"
read -r x y <<<"$point"
click_at "$x" "$y"
tries=200
while kill -0 "$list_pid" 2>/dev/null; do
    ((tries-- > 0)) || fail "the list's uninstall command did not end"
    sleep 0.1
done
wait "$list_pid" && fail "the list's uninstall succeeded while the DLL is in use"
grep -qx 'exit=1' <(tr -d '\r' <"$E2E_WORK/list.out") || fail "the list's uninstall: $(cat "$E2E_WORK/list.out")"
key_exists "$programs" || fail "the list's uninstall removed its entry while the DLL is in use"
[[ $(registered_path) == "$registered" ]] || fail "the list's uninstall unregistered"
echo "ok: the list's uninstall shows why it stops, and changes nothing while the DLL is in use"

# The request ends (the pointer has left the menu), and with it the hold on the DLL.
xdotool mousemove 900 700
finish_calls 20
[[ $(call_result 1) == "[]" ]] || fail "the held request returned $(call_result 1)"

setup "$new" install.cmd || fail "installing the newer version once the DLL is free"
cmp -s "$new/Pennock.dll" "$target/Pennock.dll" || fail "the newer DLL is not installed"
[[ $(installed_version) == 1.0.0.4 ]] || fail "the list shows version $(installed_version)"
[[ $(registered_path) == "$registered" ]] || fail "registered at $(registered_path)"
[[ ! -e $target/Pennock64.dll ]] || fail "a 32-bit system got the 64-bit DLL"
cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "the upgrade replaced Menu.dat"
echo "ok: the upgrade completes once the request has ended; 1.0.0.4 in the list, Menu.dat kept"

# Windows' settings run the list's command as it stands.
uninstall_out=$(probe uninstall Quillery 2>&1) || fail "the list's uninstall command: $uninstall_out"
echo "$uninstall_out"
expect_only_menu_dat "uninstalled from the list"
setup "$old" uninstall.cmd || fail "a second uninstall failed"
expect_only_menu_dat "uninstalled twice"

# An install that fails halfway: on a "64-bit system" whose 64-bit regsvr32 is missing, the
# 32-bit DLL is already copied and registered when the 64-bit registration fails.
setup --as64 "$new" install.cmd && fail "an install whose 64-bit registration failed succeeded"
[[ $setup_out == *"regsvr32 could not register"*"Pennock64.dll"* ]] ||
    fail "no word of the 64-bit DLL"
[[ $setup_out == *"taken back"* ]] || fail "the failed install did not say it was taken back"
expect_only_menu_dat "failed install"
setup "$old" uninstall.cmd || fail "uninstalling after a failed install"
expect_only_menu_dat "uninstalled after a failed install"

setup "$old" uninstall.cmd /all || fail "uninstall.cmd /all"
[[ ! -e $target ]] || fail "uninstall.cmd /all left $target"
echo "ok: uninstall.cmd /all removes Menu.dat and the folder"
exit 0
