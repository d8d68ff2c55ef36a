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
#include "cp1252/Cp1252Codec.h"
#include "posix/PosixFileSystem.h"

#include <clocale>

int main(int argc, char** argv) {
    // Arguments arrive in the terminal's multi-byte encoding; UTF-8 here.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const std::vector<std::string> args(argv + 1, argv + argc);
    quillery::PosixFileSystem files;
    quillery::Cp1252Codec ansi;
    return quillery::menudat::RunFromTerminal(args, files, ansi, std::cout, std::cerr);
}
#endif
