#pragma once

#include "platform/AnsiCodec.h"
#include "platform/FileSystem.h"

#include <ostream>
#include <string>
#include <vector>

namespace quillery::menudat {

// Exit codes of the tool.
inline constexpr int kOk = 0;
inline constexpr int kFileError = 1;  // missing file, cannot open, read or write failed
inline constexpr int kUsageError = 2; // bad command, item number or value

// Runs one command line (without the program name) against data files opened through
// `files`, with text in the code page of `ansi`. Output and messages go to `out` and `err`.
int Run(const std::vector<std::wstring>& args, FileSystem& files, const AnsiCodec& ansi,
        std::ostream& out, std::ostream& err);

// Runs one command line as a POSIX terminal passes it: bytes in the locale's multi-byte
// encoding. An argument that is not valid in that encoding is refused (exit 2, nothing done)
// rather than guessed at.
int RunFromTerminal(const std::vector<std::string>& args, FileSystem& files, const AnsiCodec& ansi,
                    std::ostream& out, std::ostream& err);

// The text of the usage message.
std::string Usage();

} // namespace quillery::menudat
