#!/usr/bin/env bash
# Prints the menu's figures under Wine: a bare window's time to its first paint against a menu
# request's, a click's time to the returned text against a click on the bare window, where a
# request's time goes, what REQUESTS requests (default 1000) leave behind, the first request in
# a process against a warm one (in five processes, and their median), the resident program's
# hotkey press to first paint against a request through the DLL and its click to the last of a
# 200-character snippet typed into another program against a click to loadmenu's text, the
# native messaging host's request to first paint over one open connection against loadmenu's and
# its private memory after 1 and 200 requests, and the installed DLL's size and imports. It
# prints and never fails on a figure. Needs the builds of scripts/test.sh (it makes them when
# they are missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
requests=${1:-1000}

if [ ! -x build/native/tools/menudat/menudat ] || [ ! -f build/mingw/bench/menu_benchmark.exe ]; then
    bash scripts/setup.sh
    cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build build/native >/dev/null
    cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DQUILLERY_HOST_MENUDAT="$root/build/native/tools/menudat/menudat" >/dev/null
fi
cmake --build build/mingw --target menu_benchmark resident_target >/dev/null

work=build/bench
mkdir -p "$work"
cmake --build build/mingw --target quillery_package >/dev/null
cp build/mingw/bench/menu_benchmark.exe "$work/"
cp build/mingw/package/Pennock.dll "$work/" # the copy that is installed
# The host as installed, and the hook that sees its menus paint.
cp build/mingw/package/quillery-host.exe build/mingw/bench/paint_probe.dll "$work/"
build/native/tools/menudat/menudat init "$work/Menu.dat" http://www.example.com/quillery \
    --starters --force >/dev/null
build/native/tools/menudat/menudat welcome "$work/Menu.dat" off
# The resident program's figures, in a folder of their own: the program to type into beside the
# benchmark, and a Menu.dat whose first snippet is 200 characters long (the longest a record
# holds).
hotkey_work=$work/hotkey
mkdir -p "$hotkey_work"
cp build/mingw/bench/menu_benchmark.exe build/mingw/package/Pennock.dll \
    build/mingw/tests/win32/resident_target.exe "$hotkey_work/"
long_text=$(printf 'Thank you for your message. %.0s' {1..8} | cut -c1-199)x
build/native/tools/menudat/menudat init "$hotkey_work/Menu.dat" http://www.example.com/quillery \
    --force >/dev/null
build/native/tools/menudat/menudat welcome "$hotkey_work/Menu.dat" off
build/native/tools/menudat/menudat set "$hotkey_work/Menu.dat" 1 "Long reply" "$long_text" >/dev/null
# The first request is one figure per process: it is measured in five, and their median counts.
# shellcheck disable=SC2016 # expanded by the inner shell
bash scripts/with-wine.sh "$work" -- bash -c '
    wine "$1/menu_benchmark.exe" "$2"
    echo "first request through Pennock.dll in a fresh process that has shown a window, in five processes:"
    for run in 1 2 3 4 5; do wine "$1/menu_benchmark.exe" first; done | tee "$1/first.txt"
    median=$(tr -d "\r" <"$1/first.txt" | grep -o "[0-9.]*x$" | sort -n | sed -n 3p)
    echo "  median of the five: $median (target: at most 2x)"
    (cd "$1/hotkey" && wine ./menu_benchmark.exe hotkey)
    # The host finds Pennock.DoBiz through its registration, as it does for a browser.
    dll=$(winepath -w "$1/Pennock.dll")
    wine regsvr32 /s "$dll" && wine "$1/menu_benchmark.exe" host
    wine regsvr32 /u /s "$dll"' _ "$work" "$requests"

dll=build/mingw/package/Pennock.dll
echo "Pennock.dll as installed: $(stat -c %s "$dll") bytes (target: under 200 KB, 204800 bytes)"
echo "its imports: $(i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    tr '\n' ' ')"
