#!/usr/bin/env bash
# A compiled client: DllCanUnloadNow refuses while an object, a server lock or a class factory
# is alive, allows once all are released, and the system then unloads the DLL.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
probe unload Pennock.DoBiz Pennock.dll || fail "DllCanUnloadNow"
exit 0
