# shellcheck shell=bash
# What the end-to-end cases share. A case runs under scripts/with-wine.sh (display, window
# manager and Wine prefix are set up) with these set by run.sh:
#   E2E_DLL      the built Pennock.dll          E2E_PROBE    the built e2e_probe.exe
#   E2E_MENUDAT  the native menudat tool
#   E2E_WORK     an empty folder of the case's own
#   E2E_ROOT     the source tree
#   E2E_PLATFORM win32 or win64: the DLL's platform, and the prefix's
#   E2E_TOOL     the 32-bit build's menudat.exe
#   E2E_OTHER_DLL in a 64-bit run, the 32-bit build's Pennock.dll
#   E2E_MSI      the Windows Installer package of the prefix's width (x86 or x64)
#   E2E_MSI_FILES the folder of the files it installs, under their installed names
# A case prints what it checks and exits 0 when everything held.
set -uo pipefail

fail() {
    echo "FAIL: $*"
    exit 1
}

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        fail "$what"
    fi
}

# The Windows spelling of a path of this machine.
winpath() {
    winepath -w "$1" 2>/dev/null
}

# Runs e2e_probe; its output without carriage returns.
probe() {
    local output status
    output=$(wine "$E2E_PROBE" "$@")
    status=$?
    [[ -n $output ]] && printf '%s\n' "${output//$'\r'/}"
    return $status
}

# A value of the registry ("" for the key's default), or status 1 when the key or value is
# missing. Wine's reg prints "    NAME    REG_TYPE    DATA".
reg_value() {
    local key=$1 name=$2 output
    if [[ -z $name ]]; then
        output=$(wine reg query "$key" /ve 2>/dev/null) || return 1
        name="(Default)"
    else
        output=$(wine reg query "$key" /v "$name" 2>/dev/null) || return 1
    fi
    output=${output//$'\r'/}
    awk -v name="$name" '
        index($0, "    " name "    ") == 1 {
            sub(/^    [^ ].*    REG_[A-Z_]+    /, "")
            print
            found = 1
        }
        END { exit found ? 0 : 1 }' <<<"$output"
}

key_exists() {
    wine reg query "$1" >/dev/null 2>&1
}

# The component's identities, as the registry spells them.
# shellcheck disable=SC2034 # used by the cases
CLSID="{E2210470-1C82-45C0-B8CC-808194929C02}"
# shellcheck disable=SC2034
LIBID="{F9110317-CA89-4CDB-A562-D0C6E1DDF46E}"
# shellcheck disable=SC2034
IID="{95CF1716-D42A-4412-8E92-835C3F7F9D6D}"

# A data file with the welcome window switched off; further arguments are "N|DESC|TEXT".
make_menu_file() {
    local file=$1 row
    shift
    "$E2E_MENUDAT" init "$file" http://www.example.com/quillery/menu.asp >/dev/null ||
        fail "menudat init"
    "$E2E_MENUDAT" welcome "$file" off >/dev/null || fail "menudat welcome"
    for row in "$@"; do
        # Split by hand: a text may hold line breaks.
        local number=${row%%|*} rest=${row#*|}
        local description=${rest%%|*} text=${rest#*|}
        "$E2E_MENUDAT" set "$file" "$number" "$description" "$text" >/dev/null ||
            fail "menudat set $row"
    done
}

# Copies the DLL into a folder of its own and registers it there; unregistered again when the
# case ends.
server_dir=""
install_server() {
    server_dir=$1
    mkdir -p "$server_dir"
    cp "$E2E_DLL" "$server_dir/Pennock.dll" || fail "copy the DLL"
    wine regsvr32 /s "$(winpath "$server_dir/Pennock.dll")" || fail "regsvr32"
    trap uninstall_server EXIT
}
uninstall_server() {
    wine regsvr32 /u /s "$(winpath "$server_dir/Pennock.dll")" >/dev/null 2>&1
}

# Starts a script client that creates one Pennock.DoBiz and calls loadmenu on it COUNT times
# (late-bound, by name), printing "result N=[TEXT]" after each call. The client is the
# prefix's cscript, or the script host named by SCRIPT_HOST (the 32-bit one of a 64-bit prefix).
call_pid=""
call_out=""
start_calls() {
    local count=${1:-1}
    local script="$E2E_WORK/calls.vbs"
    {
        echo 'Set menu = CreateObject("Pennock.DoBiz")'
        echo "For i = 1 To $count"
        echo '    WScript.Echo "result " & i & "=[" & menu.loadmenu & "]"'
        echo 'Next'
    } >"$script"
    call_out="$E2E_WORK/calls.out"
    : >"$call_out"
    (
        wine "${SCRIPT_HOST:-cscript}" //nologo "$(winpath "$script")" >>"$call_out" 2>&1
        echo "exit=$?" >>"$call_out"
    ) &
    call_pid=$!
}

# Waits up to $1 seconds for the script client to end; fails the case if it does not.
finish_calls() {
    local tries=$((${1:-20} * 10))
    while kill -0 "$call_pid" 2>/dev/null; do
        ((tries-- > 0)) || fail "loadmenu did not return in time"
        sleep 0.1
    done
    wait "$call_pid"
    call_pid=""
}

# Waits up to $2 seconds for the background process $1 to end, failing the case with "$3 did
# not end in time" if it does not; returns the process's exit status.
wait_for_end() {
    local tries=$(($2 * 10))
    while kill -0 "$1" 2>/dev/null; do
        ((tries-- > 0)) || fail "$3 did not end in time"
        sleep 0.1
    done
    wait "$1"
}

# The client's output line "result N=[...]", or "" if there is none yet.
call_result() {
    tr -d '\r' <"$call_out" | grep -E "^result $1=" | sed -E "s/^result $1=//"
}

# Waits up to $2 seconds for the line of call N to appear.
wait_for_result() {
    local tries=$((${2:-20} * 10))
    until grep -q "^result $1=" "$call_out"; do
        ((tries-- > 0)) || fail "call $1 did not return in time"
        sleep 0.1
    done
}

# Waits for the pop-up; its screen rectangle in menu_left, menu_top, menu_right, menu_bottom.
# The pop-up puts the pointer onto its banner as it opens, and a move of ours that reached the
# display before that would be undone: so this also waits until the pointer is on the banner.
# The rectangle is read afresh each time round: while the window manager takes a newly shown
# window in, Wine may report it for a moment at another place.
wait_for_menu() {
    local rect location x y tries=50
    while ((tries-- > 0)); do
        rect=$(probe window --class QuillerySnippetMenu --timeout 20) || fail "no menu appeared"
        # shellcheck disable=SC2034 # the cases may use every side
        read -r menu_left menu_top menu_right menu_bottom <<<"$rect"
        location=$(xdotool getmouselocation)
        x=$(sed -E 's/.*x:([0-9-]+).*/\1/' <<<"$location")
        y=$(sed -E 's/.*y:([0-9-]+).*/\1/' <<<"$location")
        if ((x >= menu_left && x < menu_right && y >= menu_top && y < menu_top + 33)); then
            return 0
        fi
        sleep 0.1
    done
    fail "the menu did not put the pointer onto its banner (pointer at $x,$y, menu at $rect)"
}

# Moves the pointer to X Y and clicks there with button B (1, the left, unless given) once the
# display has the pointer there. Wine reads the display's events in order, so the program sees
# the move before the button.
click_at() {
    xdotool mousemove --sync "$1" "$2" click "${3:-1}"
}

# Clicks line N of the open pop-up with button B (1, the left, unless given): lines start 33 px
# below its top, 16 px apart, text from 18 px in.
click_line() {
    click_at $((menu_left + 60)) $((menu_top + 33 + 16 * ($1 - 1) + 8)) "${2:-1}"
}

# Waits up to 20 s until the display's keyboard focus is on the X window of the window that the
# probe's query names (--title T or --class C): where a user's key presses go. Nothing else
# gives it the focus here: the program itself must have taken it.
wait_for_keyboard() {
    local xwindow focus="" tries=200
    xwindow=$(probe xwindow "$@") || fail "no X window for $*"
    while ((tries-- > 0)); do
        focus=$(xdotool getwindowfocus 2>/dev/null)
        [[ $focus == "$xwindow" ]] && return 0
        sleep 0.1
    done
    fail "the display's keyboard focus is on X window $focus, not on that of $* ($xwindow)"
}

# Clicks the control captioned TEXT in the window titled TITLE, as a user would.
click_control() {
    local title=$1 text=$2 point x y
    point=$(probe control "$text" --title "$title") || fail "no \"$text\" in \"$title\""
    read -r x y <<<"$point"
    click_at "$x" "$y"
}

# The Windows build's menudat.exe (E2E_TOOL) on a file of this machine: COMMAND FILE ARGS...;
# its output without carriage returns.
windows_menudat() {
    local output status
    output=$(wine "$E2E_TOOL" "$1" "$(winpath "$2")" "${@:3}")
    status=$?
    printf '%s\n' "${output//$'\r'/}"
    return $status
}

# Bytes of a file as hex, from offset $2, $3 of them.
file_bytes() {
    od -A n -t x1 -j "$2" -N "$3" "$1" | tr -d ' \n'
}

# The Windows Installer package: installs or removes it silently (msiexec /i or /x, then further
# properties), or with the user interface that MSI_UI names (/qb), returning msiexec's status as
# Wine's exit status carries it (its low byte: 3010, "finished at the next start", is 194, 1603
# is 67).
msi() {
    local action=$1 package=$2
    shift 2
    wine msiexec "$action" "$(winpath "$package")" "${MSI_UI:-/qn}" "$@"
}

# Whether the list of installed programs shows the product of package $1, as Windows Installer
# enters it (Wine's, for the machine).
listed() {
    local product programs='Software\Microsoft\Windows\CurrentVersion\Uninstall'
    product=$(msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
    key_exists "HKCU\\$programs\\$product" || key_exists "HKLM\\$programs\\$product"
}

# The folder the package installs into, as a path of this machine: %LOCALAPPDATA%\Programs\Quillery
# as the user's shell folders name it now.
package_folder() {
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
    local folder
    folder=$(reg_value "$key" 'Local AppData') || return 1
    folder=$(wine cmd /c echo "$folder" | tr -d '\r')
    echo "$(winepath -u "$folder")/Programs/Quillery"
}

# The keys of the component below the classes root $1 (HKCU\Software\Classes, say), one line
# each of "key|value" (or "key|" for a key without values), the keys' names in lower case (the
# registry's are case-blind), the root dropped and the Windows folder $2 written as <folder>;
# sorted, so that two registrations compare line by line. The type library's key is one for both
# widths, which Wine's 64-bit prefix also shows through a link at Wow6432Node\TypeLib: skipped.
component_keys() {
    local root=$1 file="$E2E_WORK/classes.reg"
    wine reg export "$root" "$(winpath "$file")" /y >/dev/null 2>&1 || return 1
    local header=${root/#HKCU/HKEY_CURRENT_USER}
    header="[${header/#HKLM/HKEY_LOCAL_MACHINE}\\"
    # A .reg file doubles each backslash of a value.
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' |
        HEADER=$header FOLDER=${2//\\/\\\\} awk '
            BEGIN { header = tolower(ENVIRON["HEADER"]); folder = ENVIRON["FOLDER"] }
            /^\[/ {
                key = tolower($0)
                mine = key ~ /e2210470-1c82-45c0-b8cc-808194929c02|f9110317-ca89-4cdb-a562-d0c6e1ddf46e|95cf1716-d42a-4412-8e92-835c3f7f9d6d|pennock\.dobiz/
                if (index(key, header) == 1) key = substr(key, length(header) + 1)
                if (key ~ /^wow6432node\\typelib\\/) mine = 0
                if (mine) print key "|"
                next
            }
            mine && NF {
                while ((at = index($0, folder)) > 0)
                    $0 = substr($0, 1, at - 1) "<folder>" substr($0, at + length(folder))
                print key "|" $0
            }' | sort
}

# Copies the component's keys of the user's classes into the machine's: Wine's COM reads the
# machine's classes alone, where Windows merges the user's into what every program reads.
mirrored_keys=("CLSID\\$CLSID" Pennock.DoBiz "Wow6432Node\\CLSID\\$CLSID")
mirror_user_classes() {
    local key
    for key in "${mirrored_keys[@]}"; do
        key_exists "HKCU\\Software\\Classes\\$key" || continue
        wine reg copy "HKCU\\Software\\Classes\\$key" "HKLM\\Software\\Classes\\$key" /s /f >/dev/null ||
            fail "copying $key into the machine's classes"
    done
}

# Leaves the prefix to the next case as the case found it, once it ends: the package uninstalled,
# the given folders (the install folder, which keeps the user's Menu.dat) deleted, and the copy
# of the registration in the machine's classes removed.
remove_package_on_exit() {
    package_leftovers=("$@")
    trap remove_package EXIT
}
remove_package() {
    local key
    msi /x "$E2E_MSI" >/dev/null 2>&1
    rm -rf "${package_leftovers[@]}"
    for key in "${mirrored_keys[@]}"; do
        wine reg delete "HKLM\\Software\\Classes\\$key" /f >/dev/null 2>&1
    done
}
