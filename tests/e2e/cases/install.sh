#!/usr/bin/env bash
# install.cmd and uninstall.cmd from the installable folder, for the current user: files,
# registration, the browser's menu entry, the native messaging host's manifests and their keys
# for Chrome, Edge and Firefox, and the entry in the list of installed programs; an existing
# Menu.dat survives a reinstall and an uninstall; /all removes it. Without LOCALAPPDATA (as on
# Windows XP) it goes to APPDATA; in a folder whose name is not ASCII, the manifests spell it
# in JSON escapes.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

package=$(winpath "$E2E_PACKAGE")
menu_ext='HKCU\Software\Microsoft\Internet Explorer\MenuExt\Quillery'
programs='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillery'
# The version that the list of programs must show: the DLL's version resource, 1,0,0,3 -> 1.0.0.3.
version=$(sed -nE 's/^FILEVERSION +([0-9]+), *([0-9]+), *([0-9]+), *([0-9]+).*/\1.\2.\3.\4/p' \
    "$E2E_ROOT/src/component/Pennock.rc")
[[ -n $version ]] || fail "no FILEVERSION in Pennock.rc"
system_root=$(wine cmd /c echo "%SystemRoot%" | tr -d '\r')
chrome_key='HKCU\Software\Google\Chrome\NativeMessagingHosts\quillery'
edge_key='HKCU\Software\Microsoft\Edge\NativeMessagingHosts\quillery'
firefox_key='HKCU\Software\Mozilla\NativeMessagingHosts\quillery'

# Runs install.cmd or uninstall.cmd with its arguments; the first argument "noLocal" runs it
# with LOCALAPPDATA unset, "local=FOLDER" with LOCALAPPDATA set to that Windows folder.
setup() {
    local prefix=""
    if [[ $1 == noLocal ]]; then
        prefix="set LOCALAPPDATA=&& "
        shift
    elif [[ $1 == local=* ]]; then
        prefix="set LOCALAPPDATA=${1#local=}&& "
        shift
    fi
    wine cmd /c "$prefix$package\\$*" 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# The folder of an environment variable, as a path of this machine.
folder_of() {
    winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')" 2>/dev/null
}

# The manifest a browser reads for the host at $2 (its path as JSON spells it): the host's
# name, the program, and the extensions allowed to start it.
expected_manifest() {
    printf '{\r\n  "name": "quillery",\r\n'
    printf '  "description": "Quillery: the snippet menu for web forms",\r\n'
    printf '  "path": "%s",\r\n  "type": "stdio",\r\n  %s\r\n}\r\n' "$2" "$1"
}

# A key's default value, read from the key exported to a file: the file is UTF-16, where reg
# query prints a name that is not ASCII in the console's code page.
default_value() {
    local file="$E2E_WORK/value.reg"
    wine reg export "$1" "$(winpath "$file")" /y >/dev/null 2>&1 || return 1
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | sed -nE 's/^@="(.*)"$/\1/p' | sed 's/\\\\/\\/g'
}

# The host's manifests in $1 (Windows folder $2, as JSON spells it in $3), each registered for
# its browsers.
expect_host_registered() {
    local target=$1 windows=$2 json=$3
    [[ -f $target/quillery-host.exe ]] || fail "quillery-host.exe is not in $target"
    expected_manifest '"allowed_origins": ["chrome-extension://kolbehcnedghobapdngebokpbfjnalmi/"]' \
        "$json\\\\quillery-host.exe" | cmp -s - "$target/quillery-chromium.json" ||
        fail "the Chromium manifest is: $(cat "$target/quillery-chromium.json")"
    expected_manifest '"allowed_extensions": ["quillery@pennock.example"]' \
        "$json\\\\quillery-host.exe" | cmp -s - "$target/quillery-firefox.json" ||
        fail "the Firefox manifest is: $(cat "$target/quillery-firefox.json")"
    local key manifest
    for key in "$chrome_key|quillery-chromium.json" "$edge_key|quillery-chromium.json" \
        "$firefox_key|quillery-firefox.json"; do
        manifest=${key#*|}
        key=${key%%|*}
        [[ $(default_value "$key") == "$windows\\$manifest" ]] ||
            fail "$key does not name $windows\\$manifest"
    done
    echo "ok: the host's manifests name the program in $windows, registered for Chrome, Edge and Firefox"
}

expect_installed() {
    local target=$1 windows
    windows=$(winpath "$target")
    for file in Pennock.dll Menu.dat Quillery.htm Quillery.reg; do
        [[ -f $target/$file ]] || fail "$file is not in $target"
    done
    expect_host_registered "$target" "$windows" "${windows//\\/\\\\}"
    [[ $(reg_value "HKCR\\CLSID\\$CLSID\\InprocServer32" "") == "$windows\\Pennock.dll" ]] ||
        fail "the class is not registered at $windows"
    local page="file:///${windows//\\//}/Quillery.htm"
    page=${page// /%20}
    [[ $(reg_value "$menu_ext" "") == "$page" ]] || fail "the menu entry is not $page"
    [[ $(reg_value "$menu_ext" Contexts) == 0x4 ]] || fail "the menu entry is not for text fields"
    echo "ok: installed in $windows, registered, menu entry $page"

    # key value|expected data
    local row name want got
    for row in "DisplayName|Quillery" "DisplayVersion|$version" "Publisher|Pennock Software" \
        "InstallLocation|$windows" "NoModify|0x1" "NoRepair|0x1" \
        "UninstallString|\"$system_root\\System32\\wscript.exe\" \"$windows\\setup.js\" uninstall"; do
        IFS='|' read -r name want <<<"$row"
        got=$(reg_value "$programs" "$name") || fail "the list of programs has no $name"
        [[ $got == "$want" ]] || fail "the list's $name is [$got], not [$want]"
    done
    [[ -f $target/setup.js ]] || fail "the uninstall command's setup.js is not in $target"
    # In kilobytes: at least the DLL, less than twice the installed files.
    local size files_kb dll_kb
    size=$(reg_value "$programs" EstimatedSize) || fail "the list of programs has no EstimatedSize"
    dll_kb=$(($(stat -c %s "$target/Pennock.dll") / 1024))
    files_kb=$(($(cat "$target"/* | wc -c) / 1024))
    ((size >= dll_kb && size < 2 * files_kb)) ||
        fail "EstimatedSize $((size)) KB for $files_kb KB of files"
    echo "ok: the list of programs shows Quillery $version, its size $((size)) KB, no modify or repair"
}

expect_removed() {
    key_exists "HKCR\\CLSID\\$CLSID" && fail "the class is still registered"
    key_exists "$menu_ext" && fail "the menu entry is still there"
    key_exists "$programs" && fail "the list of programs still shows Quillery"
    local key
    for key in "$chrome_key" "$edge_key" "$firefox_key"; do
        key_exists "$key" && fail "$key is still there"
    done
    for file in Pennock.dll quillery-host.exe quillery-chromium.json quillery-firefox.json \
        Quillery.htm Quillery.reg setup.js; do
        [[ ! -e $1/$file ]] || fail "$file is left in $1"
    done
    echo "ok: unregistered, menu entry, the host's keys and program files removed"
}

local_target="$(folder_of LOCALAPPDATA)/Quillery"
setup install.cmd || fail "install.cmd failed"
expect_installed "$local_target"
cmp -s "$E2E_PACKAGE/Menu.dat" "$local_target/Menu.dat" || fail "Menu.dat is not the default one"

# The user's snippets: a reinstall keeps them.
"$E2E_MENUDAT" set "$local_target/Menu.dat" 1 "Mine" "my own snippet" >/dev/null
cp "$local_target/Menu.dat" "$E2E_WORK/mine.dat"
setup install.cmd || fail "install.cmd failed the second time"
cmp -s "$E2E_WORK/mine.dat" "$local_target/Menu.dat" || fail "reinstalling replaced Menu.dat"
echo "ok: reinstalling keeps the user's Menu.dat"

setup uninstall.cmd || fail "uninstall.cmd failed"
expect_removed "$local_target"
cmp -s "$E2E_WORK/mine.dat" "$local_target/Menu.dat" || fail "uninstalling lost Menu.dat"
echo "ok: uninstalling keeps the user's Menu.dat"
setup uninstall.cmd /all || fail "uninstall.cmd /all failed"
[[ ! -e $local_target ]] || fail "uninstall.cmd /all left $local_target"
echo "ok: uninstall.cmd /all removes Menu.dat and the folder"

roaming_target="$(folder_of APPDATA)/Quillery"
setup noLocal install.cmd || fail "install.cmd without LOCALAPPDATA failed"
expect_installed "$roaming_target"
[[ ! -e $local_target ]] || fail "installed under LOCALAPPDATA although it was unset"
setup noLocal uninstall.cmd /all || fail "uninstall.cmd /all without LOCALAPPDATA failed"
expect_removed "$roaming_target"
[[ ! -e $roaming_target ]] || fail "uninstall.cmd /all left $roaming_target"

# A user folder whose name is not ASCII: the manifests stay ASCII, with JSON escapes, which
# browsers read as the same name whatever the code page.
accented="$(folder_of USERPROFILE)/José"
mkdir -p "$accented"
accented_windows=$(winpath "$accented")
setup "local=$accented_windows" install.cmd || fail "install.cmd into $accented_windows failed"
json_folder="${accented_windows//\\/\\\\}"
json_folder="${json_folder/José/Jos\\u00e9}\\\\Quillery"
expect_host_registered "$accented/Quillery" "$accented_windows\\Quillery" "$json_folder"
setup "local=$accented_windows" uninstall.cmd /all || fail "uninstall.cmd /all from $accented_windows failed"
expect_removed "$accented/Quillery"
exit 0
