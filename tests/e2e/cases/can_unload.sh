#!/usr/bin/env bash
# A compiled client: DllCanUnloadNow refuses while an object, a server lock or a class factory
# is alive, allows once all are released, and the system then unloads the DLL. The client's
# next object loads it again, and a request in it shows the menu and returns the chosen line.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/../lib.sh"

install_server "$E2E_WORK/server"
make_menu_file "$server_dir/Menu.dat" "1|First|first text" "2|Second|second text"

xdotool mousemove 300 400
out="$E2E_WORK/unload.out"
probe unload Pennock.DoBiz Pennock.dll >"$out" 2>&1 &
probe_pid=$!
wait_for_menu
click_line 2
wait_for_end "$probe_pid" 20 "the client"
status=$?
cat "$out"
((status == 0)) || fail "DllCanUnloadNow, the unload or the new object"
grep -qxF "result=[second text]" "$out" || fail "the request in the reloaded DLL"
echo "ok: the request in the reloaded DLL returned the chosen line"
exit 0
