#!/usr/bin/env bash
# The package over an older build, in a user folder whose name is outside the system's ANSI code
# page: installed while a request holds the older DLL, the install finishes at the next start
# (3010) and the request goes on with the DLL it loaded; the older package over the newer is
# refused and changes no byte; uninstall after the user's profile folders moved still removes
# what was installed, where it was installed. The user's Menu.dat survives all of it.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
set_local_appdata() {
    wine reg add "$shell_folders" /v 'Local AppData' /t REG_EXPAND_SZ /d "$1" /f >/dev/null ||
        fail "cannot set Local AppData to $1"
}

# The older build: the same files, 1.0.0.2 in the DLL's version resource (the fixed file and
# product versions after the resource's signature), packaged by the build's own step as 1.0.0.2,
# which Windows Installer counts as 1.0.0.3's version (it compares three fields), and as 0.9.0.2.
older="$E2E_WORK/older"
cp -r "$E2E_MSI_FILES" "$older"
perl -0777 -i -pe \
    's/(\xBD\x04\xEF\xFE.{8})\x03\x00\x00\x00(.{4})\x03\x00\x00\x00/${1}\x02\x00\x00\x00${2}\x02\x00\x00\x00/s' \
    "$older/Pennock.dll"
cmp -s "$older/Pennock.dll" "$E2E_MSI_FILES/Pennock.dll" && fail "could not make the older DLL"
for version in 1.0.0.2 0.9.0.2; do
    cmake -DWIXL=wixl -DMSIINFO=msiinfo -DMSIBUILD=msibuild -DSOURCE_DIR="$E2E_ROOT/installer" \
        -DSTAGE="$older" -DWIDTH=x86 -DVERSION=$version -DOUTPUT="$E2E_WORK/$version.msi" \
        -P "$E2E_ROOT/installer/BuildPackage.cmake" || fail "building the package $version"
done

profile=$(winepath -u "$(wine cmd /c echo '%USERPROFILE%' | tr -d '\r')")
package_leftovers=("$profile/Łódź 東京")
trap 'set_local_appdata "%USERPROFILE%\AppData\Local"; remove_package' EXIT
mkdir -p "$profile/Łódź 東京/Local"
set_local_appdata '%USERPROFILE%\Łódź 東京\Local'
target="$profile/Łódź 東京/Local/Programs/Quillery"
msi /i "$E2E_WORK/1.0.0.2.msi" || fail "installing the older package"
cmp -s "$older/Pennock.dll" "$target/Pennock.dll" || fail "the older DLL is not installed"
"$E2E_MENUDAT" welcome "$target/Menu.dat" off >/dev/null || fail "menudat welcome"
"$E2E_MENUDAT" set "$target/Menu.dat" 1 "Mine" "my own snippet" >/dev/null || fail "menudat set"
cp "$target/Menu.dat" "$E2E_WORK/mine.dat"
echo "ok: 1.0.0.2 installed in $(winpath "$target")"

# A request holds the older DLL while the newer package installs.
mirror_user_classes
xdotool mousemove 300 400
start_calls 1
wait_for_menu
msi /i "$E2E_MSI"
status=$?
[[ $status == 194 ]] || fail "the install over a DLL in use answered $status, not 3010"
cmp -s "$older/Pennock.dll" "$target/Pennock.dll" || fail "the DLL in use was changed"
listed "$E2E_WORK/1.0.0.2.msi" && fail "1.0.0.2 is still listed beside 1.0.0.3"
listed "$E2E_MSI" || fail "1.0.0.3 is not listed"
click_line 1
finish_calls 20
[[ $(call_result 1) == "[my own snippet]" ]] || fail "the held request returned $(call_result 1)"
echo "ok: the upgrade over a DLL in use answered 3010 and replaced 1.0.0.2 in the list; the request went on and returned $(call_result 1)"

# The next start (Wine's restart of its prefix) puts the newer DLL in place.
wine wineboot -r || fail "wineboot -r"
[[ $(cd "$target" && ls) == "$(cd "$E2E_MSI_FILES" && ls)" ]] ||
    fail "after the restart: $(cd "$target" && ls | tr '\n' ' ')"
for file in "$E2E_MSI_FILES"/*; do
    [[ ${file##*/} == Menu.dat ]] && continue
    cmp -s "$file" "$target/${file##*/}" || fail "after the restart, ${file##*/} is not the newer one"
done
cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "the upgrade replaced Menu.dat"
echo "ok: after the next start the newer files are in place, the user's Menu.dat kept"

# A failed install leaves everything as it was: the older package over the newer one.
state() {
    (cd "$target" && md5sum -- *)
    wine reg export 'HKCU\Software' "$(winpath "$E2E_WORK/user.reg")" /y >/dev/null &&
        iconv -f UTF-16 -t UTF-8 "$E2E_WORK/user.reg"
    wine reg export 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
        "$(winpath "$E2E_WORK/programs.reg")" /y >/dev/null &&
        iconv -f UTF-16 -t UTF-8 "$E2E_WORK/programs.reg"
}
state >"$E2E_WORK/before.txt"
msi /i "$E2E_WORK/0.9.0.2.msi"
status=$?
[[ $status == 67 ]] || fail "installing the older package over the newer answered $status, not 1603"
state >"$E2E_WORK/after.txt"
diff "$E2E_WORK/before.txt" "$E2E_WORK/after.txt" || fail "the refused install changed something"
echo "ok: the older package over the newer is refused (1603) and changes no file or key"

# The user's profile folders move; uninstall removes what is in the folder it installed.
set_local_appdata '%USERPROFILE%\AppData\Local'
msi /x "$E2E_MSI" || fail "uninstalling after the profile folders moved"
[[ $(cd "$target" && ls) == Menu.dat ]] || fail "left: $(cd "$target" && ls | tr '\n' ' ')"
cmp -s "$E2E_WORK/mine.dat" "$target/Menu.dat" || fail "the uninstall changed Menu.dat"
key_exists "HKCU\\Software\\Classes\\CLSID\\$CLSID" && fail "the class is still registered"
[[ ! -e $(package_folder) ]] || fail "something was made in $(package_folder)"
echo "ok: uninstalled from the folder it was installed in, after the profile folders moved"
exit 0
