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
exit 0
