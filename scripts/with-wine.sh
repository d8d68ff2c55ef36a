#!/usr/bin/env bash
# shellcheck disable=SC2317 # functions run from traps and through wait_for
# Runs a command with a private X display, a window manager and a Wine prefix of the build tree:
#
#     scripts/with-wine.sh [--dpi N] BUILD_DIR -- COMMAND ARGS...
#
# It starts Xvfb on a display number that the server picks itself (so two runs never collide)
# and openbox on it, points Wine at BUILD_DIR/wineprefix (created on first use, with
# Wine's windows kept out of the window manager's hands, except those of win32_managed_tests.exe
# and, with QUILLERY_WINE_MANAGED=1, all of them),
# runs the command and exits with its
# status. On the way out, also after a failure or a signal, it ends the prefix's Wine processes
# and exactly the Xvfb and openbox processes it started.
# With --dpi N the prefix's screen has N dots per inch (HKCU\Control Panel\Desktop, LogPixels),
# which Wine reads as each process starts; without it, Wine's default of 96. A prefix keeps its
# resolution, so give a run at another one a BUILD_DIR of its own.
# With --task-bar-right N the display's work area leaves N pixels free at its right edge, as a
# task bar docked there does (the root window's _NET_WORKAREA, which Wine reads as its first
# process starts, so set before any): the monitor's work area is then smaller than the monitor.
# The prefix is 32-bit, or 64-bit when QUILLERY_WINEARCH is win64 or BUILD_DIR was configured
# with cmake/mingw-x86_64.cmake; a 64-bit prefix runs 32-bit programs too.
# Wine's debug channels stay off unless QUILLERY_WINEDEBUG names some (as WINEDEBUG does).
# It reads nothing from the terminal, so it runs the same as root, in CI and without stdin.
set -uo pipefail

usage() {
    echo "usage: $0 [--dpi N] [--task-bar-right N] BUILD_DIR -- COMMAND [ARGS...]" >&2
    exit 2
}

dpi=""
task_bar=""
while [[ ${1-} == "--dpi" || ${1-} == "--task-bar-right" ]]; do
    [[ ${2-} =~ ^[1-9][0-9]*$ ]] || usage
    if [[ $1 == "--dpi" ]]; then dpi=$2; else task_bar=$2; fi
    shift 2
done
[[ $# -ge 3 && $2 == "--" ]] || usage
build_dir=$1
shift 2

mkdir -p "$build_dir" || exit 2
build_dir=$(cd "$build_dir" && pwd) || exit 2

log="$build_dir/with-wine.log"
: >"$log"

# Set now, exported only once Xvfb and openbox run, so that only Wine's processes carry it.
WINEPREFIX="$build_dir/wineprefix"
winearch=${QUILLERY_WINEARCH:-}
if [[ -z $winearch ]]; then
    winearch=win32
    if grep -q '^CMAKE_TOOLCHAIN_FILE:.*mingw-x86_64\.cmake$' "$build_dir/CMakeCache.txt" 2>/dev/null; then
        winearch=win64
    fi
fi
[[ $winearch == win32 || $winearch == win64 ]] || {
    echo "with-wine: QUILLERY_WINEARCH must be win32 or win64, not $winearch" >&2
    exit 2
}

xvfb_pid=""
openbox_pid=""
display_file=""
status=0

# The processes that run in this prefix: Wine passes WINEPREFIX on to every one of them.
prefix_pids() {
    local environ pid
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        [[ $pid == "$$" || $pid == "$BASHPID" ]] && continue
        if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
        fi
    done
}

# Whether any of the given processes still runs (a zombie counts as ended).
any_alive() {
    local pid state
    for pid in "$@"; do
        state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) || continue
        [[ -n $state && $state != Z ]] && return 0
    done
    return 1
}

cleanup() {
    # Wine first, while its display still exists. "wineserver -k" only signals the prefix's
    # server and returns; it fails once no server is left, which is what we wait for.
    # Its clients end a moment after the server: wait for those of this prefix.
    if [[ -d $WINEPREFIX ]]; then
        local pids tries=100
        mapfile -t pids < <(prefix_pids)
        while ((tries-- > 0)) && wineserver -k >>"$log" 2>&1; do
            sleep 0.1
        done
        tries=100
        while ((tries-- > 0)) && any_alive "${pids[@]}"; do
            sleep 0.1
        done
    fi
    if [[ -n $openbox_pid ]]; then
        kill "$openbox_pid" 2>/dev/null
        wait "$openbox_pid" 2>/dev/null
    fi
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    [[ -n $display_file ]] && rm -f "$display_file"
}

on_exit() {
    cleanup
    exit "$status"
}
# A signal ends the command too; the command runs in the background so that the signal is
# handled at once rather than after the command has finished.
command_pid=""
on_signal() {
    status=$1
    [[ -n $command_pid ]] && kill -s "$2" "$command_pid" 2>/dev/null
    exit
}
trap on_exit EXIT
trap 'on_signal 130 INT' INT
trap 'on_signal 143 TERM' TERM
trap 'on_signal 129 HUP' HUP

fail() {
    echo "with-wine: $*" >&2
    echo "with-wine: see $log" >&2
    status=1
    exit
}

# Waits up to $1 tenths of a second for the command in $2... to succeed; gives up at once when
# it answers 2 (what it waits for has died).
wait_for() {
    local tries=$1 result
    shift
    while ((tries-- > 0)); do
        "$@"
        result=$?
        ((result == 0)) && return 0
        ((result == 2)) && return 1
        sleep 0.1
    done
    return 1
}

# Xvfb writes the display number it chose to the file once it accepts connections.
display_file=$(mktemp "${TMPDIR:-/tmp}/with-wine-display.XXXXXX") || fail "no temporary file"
display_ready() {
    kill -0 "$xvfb_pid" 2>/dev/null || return 2
    [[ -s $display_file ]] && grep -q '[0-9]' "$display_file"
}
# A window manager announces itself through this property on the root window.
wm_ready() {
    kill -0 "$openbox_pid" 2>/dev/null || return 2
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}
# Starts Xvfb and openbox on it. Two runs that start at the same moment can both be told the
# same free display, and the one that then loses it sees its server end: a server that ended
# is started again, a few times, rather than failing the run.
start_display() {
    : >"$display_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" </dev/null \
        >>"$log" 2>&1 &
    xvfb_pid=$!
    wait_for 100 display_ready || return 1
    display_number=$(tr -dc '0-9' <"$display_file")
    export DISPLAY=":$display_number"
    openbox --sm-disable </dev/null >>"$log" 2>&1 &
    openbox_pid=$!
    wait_for 100 wm_ready && return 0
    kill "$openbox_pid" "$xvfb_pid" 2>/dev/null
    wait "$openbox_pid" "$xvfb_pid" 2>/dev/null
    return 1
}
attempts=3
until start_display; do
    ((--attempts > 0)) || fail "Xvfb and openbox did not start${DISPLAY:+ on $DISPLAY}"
    echo "with-wine: the display ${DISPLAY:-} went away while starting; starting another" >>"$log"
done

# openbox publishes a work area of its own as it starts, a moment after it announces itself:
# the task bar's is set once that one is there, or openbox would overwrite it.
work_area_published() {
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q '='
}
if [[ -n $task_bar ]]; then
    work_area="0, 0, $((1024 - task_bar)), 768"
    wait_for 100 work_area_published || fail "openbox published no work area on $DISPLAY"
    xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$work_area" &&
        xprop -root _NET_WORKAREA | grep -qx "_NET_WORKAREA(CARDINAL) = $work_area" ||
        fail "cannot leave room for a task bar on $DISPLAY"
fi

export WINEPREFIX
export WINEARCH=$winearch
# Debian's "wine" starts Wine's 32-bit loader, and in a 64-bit prefix that loader takes a program
# named without its path (cscript, regsvr32, reg, cmd) from the 32-bit system folder. In a 64-bit
# prefix "wine" means the 64-bit loader here, so that those are the 64-bit programs, as they
# are for a 64-bit host; it hands a 32-bit program on to the 32-bit loader.
if [[ $WINEARCH == win64 ]]; then
    loader64=$(command -v wine64 || echo /usr/lib/wine/wine64)
    [[ -x $loader64 ]] || fail "no 64-bit Wine loader (wine64): install the Debian package wine64"
    mkdir -p "$build_dir/wine64-loader" || fail "cannot create $build_dir/wine64-loader"
    printf '#!/bin/sh\nexec %q "$@"\n' "$loader64" >"$build_dir/wine64-loader/wine"
    chmod +x "$build_dir/wine64-loader/wine"
    export PATH="$build_dir/wine64-loader:$PATH"
fi
export WINEDEBUG=${QUILLERY_WINEDEBUG:--all}
# No Mono or Gecko installer dialogs while the prefix is created.
export WINEDLLOVERRIDES="mscoree=;mshtml="

if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "with-wine: creating the $WINEARCH Wine prefix $WINEPREFIX" >&2
    wineboot -i </dev/null >>"$log" 2>&1 || fail "wineboot could not create $WINEPREFIX"
    # The new prefix's system processes (the service manager and the services it starts) are
    # still coming up when wineboot returns; a program started then can start a second service
    # manager, and from then on every program's start waits for a service that never answers.
    # Wait until the server has ended with them.
    wineserver -w >>"$log" 2>&1
elif ! grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg"; then
    # Wine records a prefix's architecture in system.reg; one of the other architecture would
    # run the programs under the wrong loader, or not at all.
    fail "$WINEPREFIX is not a $WINEARCH prefix: delete it to have it made again"
fi
# Wine hands every activated top-level window to the window manager, which may then move it
# while Wine still reports the place the program gave it. The tests' windows stay Wine's own,
# unless QUILLERY_WINE_MANAGED=1 asks for Wine's default, to watch a user's flow as it runs there.
if [[ ${QUILLERY_WINE_MANAGED:-} == 1 ]]; then
    if grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >>"$log" 2>&1 ||
            fail "cannot give $WINEPREFIX Wine's default of managed windows"
    fi
elif ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1 ||
        fail "cannot switch off managed windows in $WINEPREFIX"
fi
if [[ -n $dpi ]]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$log" 2>&1 ||
        fail "cannot set the resolution of $WINEPREFIX to $dpi dpi"
fi
# The one test program that checks the pop-up under a window manager keeps Wine's default.
managed_key='HKCU\Software\Wine\AppDefaults\win32_managed_tests.exe\X11 Driver'
if ! grep -qF 'win32_managed_tests.exe\\X11 Driver' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add "$managed_key" /v Managed /t REG_SZ /d Y /f >>"$log" 2>&1 ||
        fail "cannot keep managed windows for win32_managed_tests.exe in $WINEPREFIX"
fi

"$@" <&0 &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
exit
