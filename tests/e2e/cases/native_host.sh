#!/usr/bin/env bash
# The native messaging host that the package installs, as Chrome finds and runs it on Windows:
# Chrome's key names the manifest, the manifest names quillery-host.exe relative to the
# manifest's own folder, and the host is started there with a pipe for its input and its output
# taken. A menu request answers the clicked line's text; the host ends with status 0 when its
# input closes.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

chrome_key='HKCU\Software\Google\Chrome\NativeMessagingHosts\quillery'
target=$(package_folder) || fail "no Local AppData folder"
remove_package_on_exit "$target"
msi /i "$E2E_MSI" || fail "msiexec /i failed"
mirror_user_classes
"$E2E_MENUDAT" welcome "$target/Menu.dat" off >/dev/null || fail "menudat welcome"
"$E2E_MENUDAT" set "$target/Menu.dat" 1 "Mine" "  my own snippet  " >/dev/null ||
    fail "menudat set"

manifest=$(reg_value "$chrome_key" "") || fail "Chrome's key names no manifest"
manifest=$(winepath -u "$manifest")
program=$(sed -nE 's/^  "path": "(.*)",\r?$/\1/p' "$manifest")
[[ $program == quillery-host.exe ]] || fail "the manifest $manifest names [$program]"
host="$(dirname "$manifest")/$program"
[[ -f $host ]] || fail "no $program beside the manifest"
echo "ok: Chrome's key names $manifest, which names $program beside it"

# The browser's end: the host's input is a pipe this script holds open, its output a file.
input="$E2E_WORK/host.in"
output="$E2E_WORK/host.out"
mkfifo "$input"
wine "$host" <"$input" >"$output" &
host_pid=$!
exec 3>"$input"
trap 'exec 3>&-; remove_package' EXIT

send() {
    local json=$1 length=${#1}
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((length & 255)) $((length >> 8 & 255)) \
        $((length >> 16 & 255)) $((length >> 24 & 255)))%s" "$json" >&3
}

# The next answer's JSON into $reply, once all of it is in the output; fails after 20 seconds.
answered=0
reply=""
answer() {
    local tries=200 length
    until (($(stat -c %s "$output") >= answered + 4)); do
        ((tries-- > 0)) || fail "no answer from the host"
        sleep 0.1
    done
    length=$(od -A n -t u4 -j "$answered" -N 4 "$output" | tr -d ' ')
    until (($(stat -c %s "$output") >= answered + 4 + length)); do
        ((tries-- > 0)) || fail "the host's answer stopped short"
        sleep 0.1
    done
    reply=$(tail -c +$((answered + 5)) "$output" | head -c "$length")
    answered=$((answered + 4 + length))
}

# Once the host has answered, it runs.
send '{"request": "hello"}'
answer
[[ $reply == '{"error":"unknown request; the host answers {\"request\": \"menu\"}"}' ]] ||
    fail "the host answered $reply"
echo "ok: the host runs and answers an unknown request with an error"

xdotool mousemove 300 400
send '{"request": "menu"}'
wait_for_menu
click_line 1
answer
[[ $reply == '{"text":"my own snippet"}' ]] || fail "the host answered $reply"
probe gone --class QuillerySnippetMenu --timeout 2 || fail "the menu is still open"
echo "ok: a menu request answered $reply"

exec 3>&-
wait_for_end "$host_pid" 10 "the host, its input closed,"
status=$?
[[ $status == 0 ]] || fail "the host ended with status $status"
echo "ok: the host ends with status 0 when its input closes"

exit 0
