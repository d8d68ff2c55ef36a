#!/usr/bin/env bash
# The installed native messaging host as Chrome finds and runs it: Chrome's key names the
# manifest, the manifest names quillery-host.exe, which is started with a pipe for its input
# and its output taken. While it runs, install.cmd and uninstall.cmd stop without changing
# anything; a menu request answers the clicked line's text; the host ends with status 0 when its
# input closes, and the uninstall then completes.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

package=$(winpath "$E2E_PACKAGE")
chrome_key='HKCU\Software\Google\Chrome\NativeMessagingHosts\quillery'
target="$(winepath -u "$(wine cmd /c echo "%LOCALAPPDATA%" | tr -d '\r')")/Quillery"
[[ $target == /* ]] || fail "no LOCALAPPDATA folder"

setup_out=""
setup() {
    setup_out=$(wine cmd /c "$package\\$1" 2>&1 | tr -d '\r')
    local status=${PIPESTATUS[0]}
    printf '%s\n' "$setup_out" | sed 's/^/    | /'
    return "$status"
}

setup install.cmd || fail "install.cmd failed"
"$E2E_MENUDAT" welcome "$target/Menu.dat" off >/dev/null || fail "menudat welcome"
"$E2E_MENUDAT" set "$target/Menu.dat" 1 "Mine" "  my own snippet  " >/dev/null ||
    fail "menudat set"

manifest=$(reg_value "$chrome_key" "") || fail "Chrome's key names no manifest"
host=$(sed -nE 's/^  "path": "(.*)",\r?$/\1/p' "$(winepath -u "$manifest")")
host=${host//\\\\/\\}
[[ -n $host ]] || fail "the manifest $manifest names no program"
echo "ok: Chrome's key names $manifest, which names $host"

# The browser's end: the host's input is a pipe this script holds open, its output a file.
input="$E2E_WORK/host.in"
output="$E2E_WORK/host.out"
mkfifo "$input"
wine "$host" <"$input" >"$output" &
host_pid=$!
exec 3>"$input"
trap 'exec 3>&-' EXIT

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

setup install.cmd && fail "install.cmd replaced the running host"
[[ $setup_out == *"quillery-host.exe is in use"*"Nothing was changed"* ]] ||
    fail "install.cmd did not say that the host is in use"
setup uninstall.cmd && fail "uninstall.cmd removed the running host"
[[ $setup_out == *"quillery-host.exe is in use"* ]] ||
    fail "uninstall.cmd did not say that the host is in use"
[[ -n $(reg_value "$chrome_key" "") ]] || fail "uninstalling while the host runs removed its key"
echo "ok: install and uninstall stop, changing nothing, while the browser runs the host"

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

setup uninstall.cmd || fail "uninstall.cmd failed once the host had ended"
key_exists "$chrome_key" && fail "Chrome's key is left"
[[ ! -e $target/quillery-host.exe ]] || fail "quillery-host.exe is left"
echo "ok: the uninstall completes once the host has ended"
exit 0
