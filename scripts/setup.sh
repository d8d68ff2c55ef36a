#!/usr/bin/env bash
# Installs everything the builds and tests need, from Debian's packages. Idempotent: when
# everything is there it only checks and returns.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang-format googletest
    # the MinGW compilers of the win32 thread model, for 32-bit and 64-bit Windows
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
    wine wine32:i386 libwine-dev libwine:i386
    wine64 libwine:amd64 # 64-bit prefixes, and the 64-bit stdole2.tlb for the 64-bit IDL
    xvfb openbox xdotool x11-utils imagemagick
    locales # the Japanese locale that the double-byte code page test runs under
    clang libclang-rt-dev # the fuzz targets: clang's libFuzzer and sanitizer runtimes
    nlohmann-json3-dev # the native messaging host's JSON (headers only)
    chromium firefox-esr nodejs # the browser extension's test: real browsers, driven from Node
    wixl msitools # the Windows Installer packages: wixl builds them, msibuild amends their tables
)

sudo_if_needed() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (for 32-bit Wine)"
    sudo_if_needed dpkg --add-architecture i386
    need_update=1
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -eq 0 ] && [ -z "${need_update:-}" ]; then
    echo "setup: all packages present"
    exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another apt-get or dpkg on the machine holds their lock for a while: wait for it.
sudo_if_needed apt-get -o DPkg::Lock::Timeout=600 update -qq
sudo_if_needed apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
