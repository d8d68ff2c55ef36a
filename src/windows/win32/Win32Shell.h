#pragma once

#include "platform/AnsiCodec.h"
#include "platform/Shell.h"

namespace quillery::win32 {

// Opens documents and addresses through shell32's ANSI entry point.
class Win32Shell final : public Shell {
public:
    explicit Win32Shell(const AnsiCodec& ansi) : ansi_(ansi) {}

    std::intptr_t Execute(const std::wstring& operation, const std::wstring& file,
                          const std::wstring& parameters, const std::wstring& directory,
                          int showCommand) override;
    std::wstring CurrentDirectory() override;

private:
    const AnsiCodec& ansi_;
};

} // namespace quillery::win32
