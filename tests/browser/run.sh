#!/usr/bin/env bash
# The browser extension (extension/browser) in a real headless Chromium, against a stand-in of
# the native host:
#
#     tests/browser/run.sh [CASE...]     # CASE: words of a case's name
#
# Uses Debian's Chromium (scripts/setup.sh installs it), or the browser binary named by
# QUILLERY_CHROMIUM. Ends with the line "N passed, M failed"; exits non-zero when a case failed
# or when the words given choose no case.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
# The browser itself rather than Debian's /usr/bin/chromium launcher, which adds flags of its
# own (an empty --load-extension among them) and probes the machine's shared memory.
chromium=${QUILLERY_CHROMIUM:-/usr/lib/chromium/chromium}
if [[ ! -x $chromium ]]; then
    echo "tests/browser: no Chromium at $chromium (bash scripts/setup.sh installs it)" >&2
    echo "0 passed, 1 failed"
    exit 1
fi
exec node "$root/tests/browser/extension.test.mjs" "$chromium" "$root/extension/browser" "$@"
