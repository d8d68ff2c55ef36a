#!/usr/bin/env bash
# The browser extension (extension/browser) in a real headless Chromium and a real headless
# Firefox ESR, the same cases in each, against a stand-in of the native host:
#
#     tests/browser/run.sh [--browser chromium|firefox] [CASE...]   # CASE: words of a case's name
#
# Uses Debian's Chromium and Firefox ESR (scripts/setup.sh installs them), or the browser
# binaries named by QUILLERY_CHROMIUM and QUILLERY_FIREFOX. Firefox installs the extension from
# the archive QUILLERY_FIREFOX_XPI names (a build's quillery-VERSION-firefox.xpi), or else from
# the folder extension/browser. Prints each browser's own
# "browser: N passed, M failed", then the line "N passed, M failed" of both together; exits
# non-zero when a case failed, when a browser is missing, or when the words given choose no case.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# The browsers themselves rather than Debian's launchers: /usr/bin/chromium adds flags of its
# own (an empty --load-extension among them) and probes the machine's shared memory.
declare -A binaries=(
    [chromium]=${QUILLERY_CHROMIUM:-/usr/lib/chromium/chromium}
    [firefox]=${QUILLERY_FIREFOX:-/usr/lib/firefox-esr/firefox-esr}
)
browsers=(chromium firefox)
if [[ ${1:-} == --browser ]]; then
    if [[ -z ${binaries[${2:-}]+set} ]]; then
        echo "tests/browser: --browser takes chromium or firefox" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
    browsers=("$2")
    shift 2
fi

# Firefox is driven over a WebSocket: Node 22 and later have one built in, Node 20 behind a flag.
node_flags=()
if ! node -e 'process.exit(typeof WebSocket === "function" ? 0 : 1)'; then
    node_flags=(--experimental-websocket)
fi

passed=0
failed=0
for browser in "${browsers[@]}"; do
    binary=${binaries[$browser]}
    echo "=== $browser ($binary)"
    if [[ ! -x $binary ]]; then
        echo "tests/browser: no $browser at $binary (bash scripts/setup.sh installs it)" >&2
        echo "$browser: 0 passed, 1 failed"
        failed=$((failed + 1))
        continue
    fi
    extension="$root/extension/browser"
    if [[ $browser == firefox && -n ${QUILLERY_FIREFOX_XPI:-} ]]; then
        extension=$QUILLERY_FIREFOX_XPI
    fi
    log=$(mktemp)
    node "${node_flags[@]}" "$root/tests/browser/extension.test.mjs" "$binary" \
        "$extension" "$@" | tee "$log" |
        sed -u -E "s/^([0-9]+ passed, [0-9]+ failed)$/$browser: \\1/"
    status=${PIPESTATUS[0]}
    read -r good bad < <(sed -nE 's/^([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$log" | tail -n 1)
    rm -f "$log"
    if [[ -z ${good:-} ]]; then
        # The test ended before its closing line: count the browser's run as one failure.
        echo "$browser: no result, 1 failed"
        good=0 bad=1
    elif [[ $status -ne 0 && $bad -eq 0 ]]; then
        echo "$browser: the test exited with status $status"
        bad=1
    fi
    passed=$((passed + good))
    failed=$((failed + bad))
    unset good bad
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
