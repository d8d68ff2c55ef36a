#!/usr/bin/env bash
# Checks that the 32-bit and the 64-bit Pennock.dll are the same component to a host: each of
# its platform, the same exported names at the same ordinals, the same version resource, and
# imports from system DLLs only; and that the two builds' installable folders hold these DLLs
# and one and the same default Menu.dat. Prints each DLL's size, exports and imports.
#
#     scripts/compare-dlls.sh I686_BUILD_DIR X86_64_BUILD_DIR
#
# Ends with the line "N passed, M failed"; exits non-zero when a check failed.
set -uo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 I686_BUILD_DIR X86_64_BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
dll32=$1/src/programs/dll/Pennock.dll
dll64=$2/src/programs/dll/Pennock.dll
package32=$1/package
package64=$2/package
passed=0
failed=0

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passed=$((passed + 1))
    else
        echo "FAILED: $what"
        failed=$((failed + 1))
    fi
}

for dll in "$dll32" "$dll64" "$package32/Menu.dat" "$package64/Menu.dat"; do
    if [[ ! -f $dll ]]; then
        echo "compare-dlls: $dll is missing: build first" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
done

# The export table's names in their ordinal order, with the ordinal base.
exports() {
    "$1" -p "$2" | sed -n '/^Export Address Table -- Ordinal Base/p;/^\[Ordinal\/Name Pointer\] Table/,/^$/p'
}
# The version resource, decompiled.
version_resource() {
    "$1" -i "$2" -O rc 2>/dev/null | sed -n '/^1 VERSIONINFO/,/^END/p'
}
imports() {
    "$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' '
}

system_imports_only() {
    cmake -DOBJDUMP="${objdump[$1]}" -DDLL="${path[$1]}" -P "$root/tests/win32/CheckImports.cmake" \
        >/dev/null
}

declare -A objdump=([32]=i686-w64-mingw32-objdump [64]=x86_64-w64-mingw32-objdump)
declare -A windres=([32]=i686-w64-mingw32-windres [64]=x86_64-w64-mingw32-windres)
declare -A format=([32]=pei-i386 [64]=pei-x86-64)
declare -A path=([32]=$dll32 [64]=$dll64)

for bits in 32 64; do
    echo "$bits-bit: ${path[$bits]}, $(stat -c %s "${path[$bits]}") bytes"
    echo "  exports: $(exports "${objdump[$bits]}" "${path[$bits]}" | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | tr '\n' ' ')"
    echo "  imports: $(imports "${objdump[$bits]}" "${path[$bits]}")"
    check "the $bits-bit DLL is ${format[$bits]}" \
        grep -q "file format ${format[$bits]}" <("${objdump[$bits]}" -f "${path[$bits]}")
    check "the $bits-bit DLL imports system DLLs only" system_imports_only "$bits"
done

same_exports() {
    local a b
    a=$(exports "${objdump[32]}" "$dll32")
    b=$(exports "${objdump[64]}" "$dll64")
    [[ -n $a && $a == "$b" ]] || diff <(echo "$a") <(echo "$b")
}
same_version() {
    local a b
    a=$(version_resource "${windres[32]}" "$dll32")
    b=$(version_resource "${windres[64]}" "$dll64")
    [[ -n $a && $a == "$b" ]] || diff <(echo "$a") <(echo "$b")
}
check "the same names at the same ordinals" same_exports
check "the same version resource" same_version
check "each package holds its build's DLL" \
    eval 'cmp -s "$dll32" "$package32/Pennock.dll" && cmp -s "$dll64" "$package64/Pennock.dll"'
check "both packages hold the same Menu.dat" cmp -s "$package32/Menu.dat" "$package64/Menu.dat"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
