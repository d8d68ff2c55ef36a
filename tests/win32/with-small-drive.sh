#!/usr/bin/env bash
# Runs a command with a small drive of its own, for the tests of a full disk:
#
#     tests/win32/with-small-drive.sh MOUNT_DIR -- COMMAND ARGS...
#
# It mounts a 64 KiB tmpfs at MOUNT_DIR, maps a free drive letter of the Wine prefix in
# $WINEPREFIX to it (a dosdevices link; run it inside scripts/with-wine.sh) and gives the
# command the letter in QUILLERY_SMALL_DRIVE ("Q:"). When the drive cannot be made (mounting
# needs root, and a container may forbid it), the command runs all the same, with the reason
# in QUILLERY_SMALL_DRIVE_UNAVAILABLE, so that the test says why it is skipped.
# On the way out, also after a failure or a signal, it removes the mapping and unmounts exactly
# MOUNT_DIR. A mount or mapping left behind by a run that was killed outright is removed first.
set -uo pipefail

[[ $# -ge 3 && $2 == "--" ]] || {
    echo "usage: $0 MOUNT_DIR -- COMMAND [ARGS...]" >&2
    exit 2
}
mkdir -p "$1" || exit 2
mount_dir=$(cd "$1" && pwd -P) || exit 2
shift 2

dosdevices=${WINEPREFIX:+$WINEPREFIX/dosdevices}
command_pid=""

# The drive letters of the prefix that point at MOUNT_DIR.
our_mappings() {
    local link
    [[ -n $dosdevices ]] || return 0
    for link in "$dosdevices"/?:; do
        [[ -L $link && $(readlink "$link") == "$mount_dir" ]] && echo "$link"
    done
}

remove_drive() {
    local link tries=50
    while read -r link; do
        rm -f "$link"
    done < <(our_mappings)
    if mountpoint -q "$mount_dir"; then
        # Wine may still close its last handles on the drive for a moment after the command.
        while ((tries-- > 0)) && ! umount "$mount_dir" 2>/dev/null; do
            sleep 0.1
        done
        mountpoint -q "$mount_dir" && umount --lazy "$mount_dir"
    fi
}

# Prints the drive's letter, or why there is none (and fails).
make_drive() {
    local letter mapping="" errors
    [[ -n $dosdevices && -d $dosdevices ]] || {
        echo "no Wine prefix (WINEPREFIX) to map a drive in"
        return 1
    }
    for letter in q r s t u v w x y; do
        if [[ ! -e $dosdevices/$letter: && ! -L $dosdevices/$letter: ]]; then
            mapping="$dosdevices/$letter:"
            break
        fi
    done
    [[ -n $mapping ]] || {
        echo "no free drive letter from Q: to Y: in $WINEPREFIX"
        return 1
    }
    errors=$(mount -t tmpfs -o size=64k,mode=0777 tmpfs "$mount_dir" 2>&1) || {
        echo "cannot mount a small file system at $mount_dir: ${errors:-mount failed}"
        return 1
    }
    ln -s "$mount_dir" "$mapping" || {
        echo "cannot map ${letter^^}: to $mount_dir"
        return 1
    }
    echo "${letter^^}:"
}

# A signal ends the command too: it runs in the background, so that the signal is handled at
# once. The mapping and the mount go on every way out.
forward() {
    [[ -n $command_pid ]] && kill -s "$1" "$command_pid" 2>/dev/null
    exit $((128 + $2))
}
trap remove_drive EXIT
trap 'forward INT 2' INT
trap 'forward TERM 15' TERM
trap 'forward HUP 1' HUP

remove_drive # what a killed run left
if drive=$(make_drive); then
    export QUILLERY_SMALL_DRIVE=$drive
else
    export QUILLERY_SMALL_DRIVE_UNAVAILABLE=$drive
    remove_drive
fi
"$@" &
command_pid=$!
wait "$command_pid"
