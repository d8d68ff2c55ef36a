#!/usr/bin/env bash
# Runs Quillery on this Linux machine: the real Pennock.dll under Wine, called by a real script
# client (cscript with VBScript, late-bound, as the browser's script calls it).
#
#     bash scripts/run.sh [--hotkey]
#
# It installs what is missing, builds (the same build folders and options as scripts/test.sh,
# so after a test run nothing is rebuilt), installs the DLL and the default Menu.dat into a
# Wine prefix of its own with the Windows Installer package, and calls loadmenu.
#  - With a display ($DISPLAY that answers), the menu opens at your pointer: choose a snippet
#    (or move the pointer away and it closes by itself after a few seconds); the text that
#    loadmenu returned is printed.
#  - Without one, it starts a virtual display with a window manager, answers the welcome window
#    that a new user sees first, saves a screenshot of the open menu, clicks the first snippet
#    and prints what loadmenu returned.
# With --hotkey it runs Quillery.exe, the resident program, from build/run/hotkey with the
# package's Menu.dat, and Notepad: with a display, press Ctrl+Shift+Insert in Notepad and click
# a snippet; without one, it types a line into Notepad, presses the hotkey, answers the welcome
# window, saves a screenshot of the menu at Notepad's caret, clicks the first snippet and prints
# Notepad's text.
# Every process it starts is ended before it returns.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
run_dir="$root/build/run"
probe_exe="$root/build/mingw/tests/e2e/e2e_probe.exe"
package="$root/build/mingw/package"

say() { printf 'run: %s\n' "$*"; }
die() {
    printf 'run: %s\n' "$*" >&2
    exit 1
}

# The script client: creates Pennock.DoBiz by its ProgID and prints loadmenu's text.
write_client() {
    mkdir -p "$run_dir"
    cat >"$run_dir/loadmenu.vbs" <<'VBS'
Set menu = CreateObject("Pennock.DoBiz")
WScript.Echo "loadmenu returned: [" & menu.loadmenu & "]"
VBS
}

install_into_prefix() {
    local msis=("$root"/build/mingw/Quillery-*-x86.msi)
    local msi=${msis[0]}
    [[ -f $msi ]] || die "no Windows Installer package in build/mingw"
    wine msiexec /i "$(winepath -w "$msi")" /qn || die "installing $msi into the Wine prefix failed"
    # The package registers the class for the user, as Windows reads it; Wine's COM reads the
    # machine's classes alone, so the registration is copied there.
    local key
    for key in 'CLSID\{E2210470-1C82-45C0-B8CC-808194929C02}' Pennock.DoBiz; do
        wine reg copy "HKCU\\Software\\Classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f \
            >/dev/null || die "cannot copy the registration of $key for Wine's COM"
    done
    say "installed ${msi##*/} for the user of the Wine prefix"
}

call_client() {
    wine cscript //nologo "$(winepath -w "$run_dir/loadmenu.vbs")" 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Moves the pointer to X Y and clicks there once the display has the pointer there.
click_at() {
    xdotool mousemove --sync "$1" "$2" click 1
}

# Runs e2e_probe (finds windows and controls on the Wine desktop).
probe() {
    local output status
    output=$(wine "$probe_exe" "$@")
    status=$?
    printf '%s\n' "${output//$'\r'/}"
    return $status
}

# Once a menu has been asked for by the process $1 (which must keep running meanwhile): answers
# the welcome window a new user sees first, waits for the menu with the pointer on its banner,
# saves a screenshot of it in $2 once it is painted and clicks its first snippet. $3 is a file
# whose text explains a failure.
open_menu_and_click_first() {
    # A new user's data file shows the welcome window before the menu. Continue is clicked
    # once: a second click could land on the menu that opens in its place.
    local tries=200 rect="" continued=""
    while ((tries-- > 0)); do
        if [[ -z $continued ]] &&
            probe window --title "Welcome to Quillery" --timeout 0 >/dev/null 2>&1; then
            local point x y
            point=$(probe control "&Continue" --title "Welcome to Quillery") ||
                die "the welcome window has no Continue button"
            read -r x y <<<"$point"
            say "the welcome window is up: clicking Continue"
            click_at "$x" "$y"
            continued=yes
        fi
        if rect=$(probe window --class QuillerySnippetMenu --timeout 0 2>/dev/null); then
            break
        fi
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    [[ -n $rect ]] || die "the menu did not appear: $(cat "$3")"

    # The menu puts the pointer onto its banner as it opens; a click before that lands could
    # be moved onto the banner with it. Its place is read again each time round.
    local left top right location x y
    tries=50
    while :; do
        rect=$(probe window --class QuillerySnippetMenu --timeout 0 2>/dev/null) ||
            die "the menu closed before it had the pointer: $(cat "$3")"
        read -r left top right _ <<<"$rect"
        location=$(xdotool getmouselocation)
        x=$(sed -E 's/.*x:([0-9-]+).*/\1/' <<<"$location")
        y=$(sed -E 's/.*y:([0-9-]+).*/\1/' <<<"$location")
        ((x >= left && x < right && y >= top && y < top + 33)) && break
        ((tries-- > 0)) ||
            die "the menu did not put the pointer onto its banner (pointer at $x,$y, menu at $rect)"
        sleep 0.1
    done

    # The screenshot once the first line shows its background, right of its text.
    local line_x=$((right - 10)) line_y=$((top + 33 + 8)) colour
    tries=50
    while :; do
        import -window root "$2" || die "could not take the screenshot"
        colour=$(convert "$2" -format "%[pixel:p{$line_x,$line_y}]" info:)
        [[ $colour != black && $colour != "srgb(0,0,0)" ]] && break
        ((tries-- > 0)) || die "the menu was never painted (the screenshot, all black: $2)"
        sleep 0.1
    done
    say "screenshot of the open menu: $2"
    say "clicking the first snippet"
    click_at $((left + 60)) "$line_y"
}

# Without a display: runs under scripts/with-wine.sh, which has started Xvfb, openbox and the
# prefix, and ends them afterwards.
drive() {
    install_into_prefix
    local out="$run_dir/loadmenu.out" shot="$run_dir/menu.png"
    rm -f "$shot"
    xdotool mousemove 400 450
    call_client >"$out" &
    local client=$!

    open_menu_and_click_first "$client" "$shot" "$out"

    local tries=200
    while kill -0 "$client" 2>/dev/null; do
        ((tries-- > 0)) || die "loadmenu did not return"
        sleep 0.1
    done
    wait "$client" || die "the script client failed: $(cat "$out")"
    cat "$out"
    # The click was on a snippet: an empty text means it did not reach the menu.
    grep -q '^loadmenu returned: \[..*' "$out" ||
        die "loadmenu returned no text although the first snippet was clicked"
}

# Quillery.exe and the Menu.dat beside it, in a folder of the run's own: the program is copied
# from the package each time, the snippets are kept from one run to the next.
hotkey_dir="$run_dir/hotkey"
prepare_hotkey_dir() {
    mkdir -p "$hotkey_dir"
    cp "$package/Quillery.exe" "$hotkey_dir/" || die "no Quillery.exe in $package"
    [[ -f $hotkey_dir/Menu.dat ]] || cp "$package/Menu.dat" "$hotkey_dir/"
}

# The text of Notepad's editing box.
notepad_text() {
    probe texts --title "Untitled - Notepad" --timeout 0 2>/dev/null
}

# Without a display, with --hotkey: Quillery.exe resident, Notepad with a line typed into it,
# the hotkey pressed there; the menu opens at Notepad's caret, a screenshot is saved, the first
# snippet is clicked and Notepad's text printed.
drive_hotkey() {
    local out="$run_dir/hotkey.out" shot="$run_dir/hotkey-menu.png"
    rm -f "$shot"
    : >"$out"
    wine "$hotkey_dir/Quillery.exe" >>"$out" 2>&1 &
    local resident=$!
    # Its icon is up: Wine's shell shows it in a window of its own, which takes the keyboard
    # as it comes. A new prefix is slow to start its first program.
    probe window --title "Wine System Tray" --timeout 90 >/dev/null ||
        die "Quillery.exe did not start: no icon in the notification area"
    wine notepad >/dev/null 2>&1 &
    probe window --title "Untitled - Notepad" --timeout 30 >/dev/null || die "Notepad did not start"
    xdotool search --name "Untitled - Notepad" windowfocus --sync
    xdotool type --delay 30 "Dear Ann, thank you for your letter."
    xdotool key Return
    local tries=100
    until notepad_text | grep -q "letter"; do
        ((tries-- > 0)) || die "Notepad did not take the typed line"
        sleep 0.1
    done
    local before
    before=$(notepad_text | wc -c)
    say "pressing Ctrl+Shift+Insert in Notepad"
    # Held until the first window comes: Quillery acts only on a hotkey whose keys are down.
    xdotool keydown ctrl+shift+Insert
    tries=100
    until probe window --title "Welcome to Quillery" --timeout 0 >/dev/null 2>&1 ||
        probe window --class QuillerySnippetMenu --timeout 0 >/dev/null 2>&1; do
        ((tries-- > 0)) || break
        sleep 0.1
    done
    xdotool keyup ctrl+shift+Insert
    echo "no menu came for the hotkey" >>"$out"
    open_menu_and_click_first "$resident" "$shot" "$out"
    tries=100
    until (($(notepad_text | wc -c) > before)); do
        ((tries-- > 0)) || die "the snippet did not reach Notepad"
        sleep 0.1
    done
    say "Notepad's text now:"
    notepad_text
    wine "$hotkey_dir/Quillery.exe" /quit
    wait "$resident"
}

if [[ ${1:-} == --drive ]]; then
    drive
    exit
fi
if [[ ${1:-} == --drive-hotkey ]]; then
    drive_hotkey
    exit
fi
hotkey=""
if [[ ${1:-} == --hotkey ]]; then
    hotkey=yes
elif [[ $# -gt 0 ]]; then
    die "usage: bash scripts/run.sh [--hotkey]"
fi

say "checking the packages"
bash scripts/setup.sh >/dev/null || die "scripts/setup.sh failed"

mkdir -p "$run_dir"
build_log="$run_dir/build.log"
say "building (log: $build_log)"
jobs=$(nproc)
{
    cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug &&
        cmake --build build/native -j "$jobs" --target menudat &&
        cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
            -DQUILLERY_HOST_MENUDAT="$root/build/native/tools/menudat/menudat" &&
        cmake --build build/mingw -j "$jobs" --target quillery_package quillery_msi_x86 e2e_probe
} >"$build_log" 2>&1 || {
    tail -n 30 "$build_log" >&2
    die "the build failed"
}
write_client
[[ -n $hotkey ]] && prepare_hotkey_dir

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="$run_dir/wineprefix" WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    # Only this prefix's Wine processes are ended.
    trap 'wineserver -k >/dev/null 2>&1' EXIT
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        say "creating the Wine prefix $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || die "wineboot failed"
    fi
    if [[ -n $hotkey ]]; then
        wine "$hotkey_dir/Quillery.exe" &
        say "Quillery.exe runs with its icon; Notepad opens: press Ctrl+Shift+Insert in it (or in"
        say "any program of this Wine prefix), click a snippet, and close Notepad to end"
        wine notepad
        wine "$hotkey_dir/Quillery.exe" /quit
        exit
    fi
    install_into_prefix
    say "the menu opens at your pointer on $DISPLAY: click a snippet, or move away to close it"
    call_client
    exit
fi

say "no display: using a virtual one"
if [[ -n $hotkey ]]; then
    bash scripts/with-wine.sh "$run_dir" -- bash "$0" --drive-hotkey
    exit
fi
bash scripts/with-wine.sh "$run_dir" -- bash "$0" --drive
