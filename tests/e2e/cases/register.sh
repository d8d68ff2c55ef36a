#!/usr/bin/env bash
# regsvr32 writes every key of the class, its ProgID, the interface and the type library, and
# regsvr32 /u leaves none of them behind.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

dir="$E2E_WORK/server"
mkdir -p "$dir"
cp "$E2E_DLL" "$dir/Pennock.dll"
dll=$(winpath "$dir/Pennock.dll")

keys=(
    "HKCR\\CLSID\\$CLSID"
    "HKCR\\Pennock.DoBiz"
    "HKCR\\TypeLib\\$LIBID"
    "HKCR\\Interface\\$IID"
    "HKCU\\Software\\Classes\\CLSID\\$CLSID"
    "HKCU\\Software\\Classes\\Pennock.DoBiz"
)
for key in "${keys[@]}"; do
    key_exists "$key" && fail "$key exists before registering"
done

check "regsvr32 succeeds" wine regsvr32 /s "$dll"

# key|value name|expected data
expected=(
    "HKCR\\CLSID\\$CLSID\\InprocServer32||$dll"
    "HKCR\\CLSID\\$CLSID\\InprocServer32|ThreadingModel|Apartment"
    "HKCR\\CLSID\\$CLSID\\ProgID||Pennock.DoBiz"
    "HKCR\\CLSID\\$CLSID\\VersionIndependentProgID||Pennock.DoBiz"
    "HKCR\\CLSID\\$CLSID\\TypeLib||$LIBID"
    "HKCR\\CLSID\\$CLSID\\Version||1.0"
    "HKCR\\Pennock.DoBiz\\CLSID||$CLSID"
    "HKCR\\TypeLib\\$LIBID\\1.0\\409\\$E2E_PLATFORM||$dll"
    "HKCR\\Interface\\$IID||_DoBiz"
    "HKCR\\Interface\\$IID\\ProxyStubClsid32||{00020424-0000-0000-C000-000000000046}"
    "HKCR\\Interface\\$IID\\TypeLib||$LIBID"
    "HKCR\\Interface\\$IID\\TypeLib|Version|1.0"
)
for row in "${expected[@]}"; do
    IFS='|' read -r key name want <<<"$row"
    got=$(reg_value "$key" "$name") || fail "missing: $key ${name:-(default)}"
    [[ $got == "$want" ]] || fail "$key ${name:-(default)} is \"$got\", not \"$want\""
    echo "ok: $key ${name:-(default)} = $want"
done

# The ProgID leads a script client to a working object.
script="$E2E_WORK/create.vbs"
echo 'Set menu = CreateObject("Pennock.DoBiz"): WScript.Echo TypeName(menu)' >"$script"
created=$(wine cscript //nologo "$(winpath "$script")" 2>&1 | tr -d '\r')
[[ $created == "_DoBiz" ]] || fail "CreateObject gave \"$created\""
echo "ok: CreateObject(\"Pennock.DoBiz\") gives a _DoBiz"

check "regsvr32 /u succeeds" wine regsvr32 /u /s "$dll"
for key in "${keys[@]}"; do
    key_exists "$key" && fail "$key is left after unregistering"
    echo "ok: $key is gone"
done

# A 64-bit system with both builds registered, as for a 32-bit and a 64-bit browser:
# unregistering the 64-bit one leaves the 32-bit one's registration working.
if [[ -n ${E2E_OTHER_DLL:-} ]]; then
    mkdir -p "$E2E_WORK/other"
    cp "$E2E_OTHER_DLL" "$E2E_WORK/other/Pennock.dll"
    other=$(winpath "$E2E_WORK/other/Pennock.dll")
    wow64='C:\windows\syswow64'
    check "the 32-bit regsvr32 registers the 32-bit DLL" wine "$wow64\\regsvr32.exe" /s "$other"
    check "regsvr32 registers the 64-bit DLL beside it" wine regsvr32 /s "$dll"
    check "regsvr32 /u unregisters the 64-bit DLL" wine regsvr32 /u /s "$dll"
    got=$(reg_value "HKCR\\TypeLib\\$LIBID\\1.0\\409\\win32" "")
    [[ $got == "$other" ]] || fail "the 32-bit type library's registration is \"$got\""
    echo "ok: the 32-bit type library is still registered"
    created=$(wine "$wow64\\cscript.exe" //nologo "$(winpath "$script")" 2>&1 | tr -d '\r')
    [[ $created == "_DoBiz" ]] || fail "the 32-bit CreateObject gave \"$created\""
    echo "ok: the 32-bit cscript still creates a _DoBiz"
    check "the 32-bit regsvr32 /u unregisters the 32-bit DLL" \
        wine "$wow64\\regsvr32.exe" /u /s "$other"
    for key in "${keys[@]}"; do
        key_exists "$key" && fail "$key is left after unregistering both"
    done
    wine "$wow64\\reg.exe" query "HKCR\\CLSID\\$CLSID" >/dev/null 2>&1 &&
        fail "the 32-bit class is left after unregistering both"
    echo "ok: nothing is left of either"
fi
exit 0
