#!/usr/bin/env bash
# Takes docs/images/extension-menu.png: the "Quillery" entry in Chromium's context menu over a
# text field. A headless browser draws no context menu, so Chromium runs with a window on a
# private Xvfb display with openbox, and the real pointer right-clicks the field
# (extension-screenshot.mjs). Ends exactly the Xvfb and openbox it started.
#
#     bash scripts/extension-screenshot.sh [OUTPUT_PNG]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "${1:-$root/docs/images/extension-menu.png}")
chromium=${QUILLERY_CHROMIUM:-/usr/lib/chromium/chromium}

xvfb_pid=""
openbox_pid=""
display_file=$(mktemp)
cleanup() {
    [[ -n $openbox_pid ]] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -f "$display_file"
}
trap cleanup EXIT

# Waits up to 10 s for a command to succeed, checking every 0.1 s.
wait_until() {
    local tries=100
    until "$@"; do
        ((--tries > 0)) || return 1
        sleep 0.1
    done
}
display_ready() { [[ -s $display_file ]]; }
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" </dev/null \
    >/dev/null 2>&1 &
xvfb_pid=$!
wait_until display_ready || { echo "extension-screenshot: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(tr -dc '0-9' <"$display_file")"
export DISPLAY
openbox --sm-disable </dev/null >/dev/null 2>&1 &
openbox_pid=$!
wait_until wm_ready || { echo "extension-screenshot: openbox did not start" >&2; exit 1; }

mkdir -p "$(dirname "$output")"
node "$root/scripts/extension-screenshot.mjs" "$chromium" "$root/extension/browser" "$output"
