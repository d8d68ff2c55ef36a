// menudat: creates and inspects the component's data file from the command line.
#include "tools/menudat/Menudat.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "win32/AcpCodec.h"
#include "win32/Win32FileSystem.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    quillery::win32::Win32FileSystem files;
    quillery::win32::AcpCodec ansi;
    return quillery::menudat::Run(args, files, ansi, std::cout, std::cerr);
}
#else
#include "posix/Cp1252Codec.h"
#include "posix/PosixFileSystem.h"

#include <clocale>
#include <cstdlib>

namespace {
// Arguments arrive in the locale's multi-byte encoding (UTF-8 here).
std::wstring Widen(const char* arg) {
    std::wstring wide(std::mbstowcs(nullptr, arg, 0) + 1, L'\0');
    const std::size_t size = std::mbstowcs(wide.data(), arg, wide.size());
    if (size == static_cast<std::size_t>(-1)) {
        return std::wstring(arg, arg + std::char_traits<char>::length(arg));
    }
    wide.resize(size);
    return wide;
}
} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(Widen(argv[i]));
    }
    quillery::PosixFileSystem files;
    quillery::Cp1252Codec ansi;
    return quillery::menudat::Run(args, files, ansi, std::cout, std::cerr);
}
#endif
