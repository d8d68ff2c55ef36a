#!/usr/bin/env bash
# The Windows Installer package of the prefix's width, installed silently as an administrator's
# tools do it: its files; its registration of each width, which equals DllRegisterServer's key
# by key; the old browser's menu entry, the native messaging host's keys for Chrome, Edge and
# Firefox, the Start menu entry and the "start with Windows" value; a request through the script
# host of each width; on 64-bit Windows the x86 package refuses to install. Uninstall removes
# all of it but the user's Menu.dat, which a reinstall of the main feature alone
# (ADDLOCAL=Quillery: no "start with Windows") keeps too. The silent install starts nothing; the
# reinstall, with the basic user interface, starts the resident program, which /quit ends.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

wow64='C:\windows\syswow64'
hosts=(cscript)
[[ $E2E_PLATFORM == win64 ]] && hosts+=("$wow64\\cscript.exe")
classes='HKCU\Software\Classes'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# DllRegisterServer's registration of copies of the files the package installs, each DLL by the
# regsvr32 of its width; under Wine it writes the machine's classes (DllLocation.h), laid out by
# width as the user's are.
registered="$E2E_WORK/registered"
mkdir -p "$registered"
cp "$E2E_MSI_FILES"/Pennock*.dll "$registered/" || fail "no DLL in $E2E_MSI_FILES"
regsvr32_for() {
    if [[ $E2E_PLATFORM == win64 && $1 == Pennock.dll ]]; then
        printf '%s\n' "$wow64\\regsvr32.exe"
    else
        echo regsvr32
    fi
}
for dll in "$registered"/Pennock*.dll; do
    wine "$(regsvr32_for "${dll##*/}")" /s "$(winpath "$dll")" || fail "regsvr32 ${dll##*/}"
done
component_keys 'HKLM\Software\Classes' "$(winpath "$registered")" >"$E2E_WORK/regsvr32.txt"
for dll in "$registered"/Pennock*.dll; do
    wine "$(regsvr32_for "${dll##*/}")" /u /s "$(winpath "$dll")" || fail "regsvr32 /u ${dll##*/}"
done

target=$(package_folder) || fail "no Local AppData folder"
remove_package_on_exit "$target"
if [[ $E2E_PLATFORM == win64 ]]; then
    msi /i "${E2E_MSI%-x64.msi}-x86.msi"
    [[ $? == 67 ]] || fail "the x86 package did not refuse 64-bit Windows with 1603"
    echo "ok: the x86 package refuses 64-bit Windows"
fi
msi /i "$E2E_MSI" || fail "msiexec /i $E2E_MSI failed"
# msiexec starts the program before it ends: were it started, its process would be listed now.
[[ $(probe running Quillery.exe) == 0 ]] || fail "the silent install started Quillery.exe"
windows=$(winpath "$target")
[[ $(cd "$target" && ls) == "$(cd "$E2E_MSI_FILES" && ls)" ]] ||
    fail "installed: $(cd "$target" && ls | tr '\n' ' ')"
for file in "$E2E_MSI_FILES"/*; do
    cmp -s "$file" "$target/${file##*/}" || fail "${file##*/} is not the packaged one"
done
echo "ok: installed in $windows: $(cd "$target" && ls | tr '\n' ' ')"

component_keys "$classes" "$windows" >"$E2E_WORK/package.txt"
diff "$E2E_WORK/regsvr32.txt" "$E2E_WORK/package.txt" ||
    fail "the package's registration (>) is not DllRegisterServer's (<)"
echo "ok: the registration equals DllRegisterServer's, key by key ($(wc -l <"$E2E_WORK/package.txt") lines)"

# key|value name|data
menu_ext='HKCU\Software\Microsoft\Internet Explorer\MenuExt\Quillery'
hosts_keys=('HKCU\Software\Google\Chrome\NativeMessagingHosts\quillery'
    'HKCU\Software\Microsoft\Edge\NativeMessagingHosts\quillery'
    'HKCU\Software\Mozilla\NativeMessagingHosts\quillery')
for row in "$menu_ext||$windows\\Quillery.htm" "$menu_ext|Contexts|0x4" \
    "${hosts_keys[0]}||$windows\\quillery-chromium.json" \
    "${hosts_keys[1]}||$windows\\quillery-chromium.json" \
    "${hosts_keys[2]}||$windows\\quillery-firefox.json" \
    "$run_key|Quillery|\"$windows\\Quillery.exe\""; do
    IFS='|' read -r key name want <<<"$row"
    got=$(reg_value "$key" "$name") || fail "no $key $name"
    [[ $got == "$want" ]] || fail "$key $name is [$got], not [$want]"
done
start_menu="$(winepath -u "$(wine cmd /c echo '%APPDATA%' | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs"
[[ -f $start_menu/Quillery.lnk ]] || fail "no Quillery.lnk in $start_menu"
echo "ok: the menu entry, the host's keys, the Start menu entry and the start with Windows"

listed "$E2E_MSI" || fail "the list of installed programs does not show the package"

# The user's snippets, and a request through the script host of each width.
"$E2E_MENUDAT" welcome "$target/Menu.dat" off >/dev/null || fail "menudat welcome"
"$E2E_MENUDAT" set "$target/Menu.dat" 1 "Mine" "my own snippet" >/dev/null || fail "menudat set"
cp "$target/Menu.dat" "$E2E_WORK/mine.dat"
mirror_user_classes
for SCRIPT_HOST in "${hosts[@]}"; do
    xdotool mousemove 300 400
    start_calls 1
    wait_for_menu
    click_line 1
    finish_calls 20
    [[ $(call_result 1) == "[my own snippet]" ]] || fail "$SCRIPT_HOST: loadmenu returned $(call_result 1)"
    echo "ok: $SCRIPT_HOST: loadmenu returned $(call_result 1)"
done

# Nothing left but Menu.dat, as the user left it.
expect_removed() {
    [[ $(cd "$target" && ls) == Menu.dat ]] || fail "$1: left: $(cd "$target" && ls | tr '\n' ' ')"
    cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "$1: Menu.dat changed"
    for key in "$classes\\CLSID\\$CLSID" "$classes\\Wow6432Node\\CLSID\\$CLSID" \
        "$classes\\Interface\\$IID" "$classes\\Wow6432Node\\Interface\\$IID" \
        "$classes\\TypeLib\\$LIBID" "$classes\\Pennock.DoBiz" "$menu_ext" "${hosts_keys[@]}"; do
        key_exists "$key" && fail "$1: $key is left"
    done
    reg_value "$run_key" Quillery >/dev/null && fail "$1: the Run value is left"
    reg_value 'HKCU\Software\Quillery' InstallFolder >/dev/null && fail "$1: the recorded folder is left"
    [[ ! -e $start_menu/Quillery.lnk ]] || fail "$1: the Start menu entry is left"
    listed "$E2E_MSI" && fail "$1: the list of installed programs still shows it"
    echo "ok: $1: nothing left but the user's Menu.dat"
}
msi /x "$E2E_MSI" || fail "msiexec /x failed"
expect_removed "uninstalled"

MSI_UI=/qb msi /i "$E2E_MSI" ADDLOCAL=Quillery || fail "msiexec /qb /i ADDLOCAL=Quillery failed"
[[ $(probe running Quillery.exe) == 1 ]] || fail "the install with a user interface did not start Quillery.exe"
# Its icon is up once its window is: /quit finds it.
probe window --title "Wine System Tray" >/dev/null || fail "the started Quillery.exe showed no icon"
wine "$target/Quillery.exe" /quit || fail "Quillery.exe /quit failed"
[[ $(probe running Quillery.exe) == 0 ]] || fail "the started Quillery.exe did not end at /quit"
echo "ok: the install with a user interface started Quillery.exe, which /quit ended"
cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "the reinstall replaced Menu.dat"
reg_value "$run_key" Quillery >/dev/null && fail "ADDLOCAL=Quillery wrote the Run value"
key_exists "$classes\\CLSID\\$CLSID\\InprocServer32" || fail "the reinstall did not register"
echo "ok: reinstalled without StartWithWindows: no Run value, the user's Menu.dat kept"
msi /x "$E2E_MSI" || fail "msiexec /x failed the second time"
expect_removed "uninstalled again"

# A folder on the command line is refused; a record changed since points uninstall nowhere else.
elsewhere="$E2E_WORK/elsewhere"
msi /i "$E2E_MSI" INSTALLFOLDER="$(winpath "$elsewhere")"
[[ $? == 67 ]] || fail "INSTALLFOLDER on the command line was not refused with 1603"
[[ ! -e $elsewhere && ! -e $target/Quillery.exe ]] || fail "the refused install wrote files"
mkdir -p "$elsewhere" && cp "$E2E_MSI_FILES"/* "$elsewhere/"
msi /i "$E2E_MSI" || fail "msiexec /i failed the third time"
wine reg add 'HKCU\Software\Quillery' /v InstallFolder /d "$(winpath "$elsewhere")" /f >/dev/null
msi /x "$E2E_MSI" || fail "msiexec /x with the record changed failed"
[[ $(ls "$elsewhere") == "$(ls "$E2E_MSI_FILES")" ]] || fail "the uninstall removed files elsewhere"
expect_removed "uninstalled with the record changed"
exit 0
