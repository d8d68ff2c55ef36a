#pragma once

#include "platform/FileSecurity.h"

namespace quillery::win32 {

// Owners and access lists as the file system keeps them (GetNamedSecurityInfoW), on the
// machine's fixed drives alone.
class Win32FileSecurity final : public FileSecurity {
public:
    std::optional<SecurityDescription> Describe(const std::wstring& path) override;
};

} // namespace quillery::win32
