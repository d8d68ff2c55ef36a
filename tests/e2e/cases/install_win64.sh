#!/usr/bin/env bash
# install.cmd on 64-bit Windows: both DLLs go into the user's folder (the 64-bit one as
# Pennock64.dll), each registered by the regsvr32 of its own width, so that a 32-bit and a
# 64-bit script host both create the object; the list of installed programs shows Quillery
# once. The list's own uninstall command, started as Windows' settings start it, unregisters
# both and leaves nothing but the user's Menu.dat.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

[[ $E2E_PLATFORM == win64 ]] || fail "this case needs a 64-bit prefix (run.sh --win64)"
[[ -f $E2E_PACKAGE/x64/Pennock.dll ]] ||
    fail "the package has no x64\\Pennock.dll: configure the 32-bit build with QUILLERY_PACKAGE_X64_DLL"

programs='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillery'
menu_ext='HKCU\Software\Microsoft\Internet Explorer\MenuExt\Quillery'
wow64='C:\windows\syswow64'
target="$(winepath -u "$(wine cmd /c echo "%LOCALAPPDATA%" | tr -d '\r')")/Quillery"
[[ $target == /* ]] || fail "no LOCALAPPDATA folder"
windows_target=$(winpath "$target")

# A value as the 32-bit side of the registry shows it (the 32-bit reg.exe is redirected there).
reg_value32() {
    local output
    output=$(wine "$wow64\\reg.exe" query "$1" /ve 2>/dev/null) || return 1
    output=${output//$'\r'/}
    sed -nE 's/^    \(Default\)    REG_[A-Z_]+    //p' <<<"$output" | grep .
}

# What CreateObject gives in the script host $1.
created_by() {
    local script="$E2E_WORK/create.vbs"
    echo 'Set menu = CreateObject("Pennock.DoBiz"): WScript.Echo TypeName(menu)' >"$script"
    wine "$1" //nologo "$(winpath "$script")" 2>&1 | tr -d '\r'
}

wine cmd /c "$(winpath "$E2E_PACKAGE")\\install.cmd" 2>&1 | tr -d '\r' | sed 's/^/    | /'
[[ ${PIPESTATUS[0]} == 0 ]] || fail "install.cmd failed"

for file in Pennock.dll Pennock64.dll Menu.dat Quillery.htm Quillery.reg setup.js; do
    [[ -f $target/$file ]] || fail "$file is not in $target"
done
cmp -s "$E2E_PACKAGE/Pennock.dll" "$target/Pennock.dll" || fail "Pennock.dll is not the 32-bit DLL"
cmp -s "$E2E_PACKAGE/x64/Pennock.dll" "$target/Pennock64.dll" ||
    fail "Pennock64.dll is not the 64-bit DLL"
echo "ok: both DLLs are in $windows_target"

got=$(reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" "") || fail "no 64-bit class"
[[ $got == "$windows_target\\Pennock64.dll" ]] || fail "the 64-bit class points at $got"
got=$(reg_value32 "HKCR\\CLSID\\$CLSID\\InprocServer32") || fail "no 32-bit class"
[[ $got == "$windows_target\\Pennock.dll" ]] || fail "the 32-bit class points at $got"
got=$(reg_value "HKCR\\TypeLib\\$LIBID\\1.0\\409\\win64" "") || fail "no win64 type library"
[[ $got == "$windows_target\\Pennock64.dll" ]] || fail "the win64 type library is $got"
got=$(reg_value "HKCR\\TypeLib\\$LIBID\\1.0\\409\\win32" "") || fail "no win32 type library"
[[ $got == "$windows_target\\Pennock.dll" ]] || fail "the win32 type library is $got"
echo "ok: each DLL is registered on its own side of the registry, with its type library"

[[ $(created_by cscript) == _DoBiz ]] || fail "the 64-bit cscript cannot create the object"
[[ $(created_by "$wow64\\cscript.exe") == _DoBiz ]] ||
    fail "the 32-bit cscript cannot create the object"
echo "ok: the 64-bit and the 32-bit cscript both create a _DoBiz"

if [[ $(reg_value "$programs" DisplayName) != Quillery ]]; then
    # What each side of the registry holds, so that a failure here says where the entry went.
    echo "the 64-bit side: $(wine reg query "$programs" 2>&1 | tr -d '\r')"
    echo "the 32-bit side: $(wine "$wow64\\reg.exe" query "$programs" 2>&1 | tr -d '\r')"
    fail "the list does not show Quillery"
fi
uninstall=$(reg_value "$programs" UninstallString) || fail "the list has no UninstallString"
[[ $uninstall == *"\"$windows_target\\setup.js\" uninstall" ]] ||
    fail "the uninstall command is [$uninstall]"
echo "ok: the list shows Quillery, uninstalled by [$uninstall]"

# The user's snippets, which the uninstall keeps.
"$E2E_MENUDAT" set "$target/Menu.dat" 1 "Mine" "my own snippet" >/dev/null || fail "menudat set"
cp "$target/Menu.dat" "$E2E_WORK/mine.dat"

probe uninstall Quillery || fail "the list's uninstall command failed"
left=$(cd "$target" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $left == "./Menu.dat " ]] || fail "left in the install folder: $left"
cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "the uninstall changed Menu.dat"
for key in "HKCR\\CLSID\\$CLSID" "HKCR\\Pennock.DoBiz" "HKCR\\TypeLib\\$LIBID" \
    "HKCU\\Software\\Classes\\CLSID\\$CLSID" "$menu_ext" "$programs"; do
    key_exists "$key" && fail "$key is left on the 64-bit side"
    wine "$wow64\\reg.exe" query "$key" >/dev/null 2>&1 && fail "$key is left on the 32-bit side"
done
echo "ok: the list's uninstall command removed both registrations, the files and the entry"
echo "ok: nothing left but the user's Menu.dat"
exit 0
