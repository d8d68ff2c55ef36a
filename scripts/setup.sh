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

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

if [ "${#missing[@]}" -eq 0 ] && [ -z "${need_i386:-}" ]; then
    echo "setup: all packages present"
    exit 0
fi

# Installing takes root: this script run as root, or sudo and a user whom it allows. Say so
# before trying, rather than failing halfway through with a bare "command not found".
needs_root() {
    cat >&2 <<EOF
setup: these Debian packages must be installed first: ${missing[*]:-}${need_i386:+ (and the i386 architecture added, for 32-bit Wine)}
setup: installing them needs root. Either run this command as root, or install sudo and
setup: allow your user to use it (as root: apt-get install sudo; adduser $(id -un) sudo; then
setup: log in again), or have an administrator install the packages above.
EOF
    exit 1
}
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || needs_root
    echo "setup: not root: asking sudo to install the missing packages"
    sudo -v || needs_root
fi
sudo_if_needed() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ -n "${need_i386:-}" ]; then
    echo "setup: adding the i386 architecture (for 32-bit Wine)"
    sudo_if_needed dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]:-nothing more}"
export DEBIAN_FRONTEND=noninteractive
# Another apt-get or dpkg on the machine holds their lock for a while: wait for it.
sudo_if_needed apt-get -o DPkg::Lock::Timeout=600 update -qq
sudo_if_needed apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"
