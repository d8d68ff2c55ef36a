#pragma once

#include "platform/FileSystem.h"

#include <string>

namespace quillery {

// Data files on a POSIX system. Backslashes in the component's Windows paths become slashes.
class PosixFileSystem final : public FileSystem {
public:
    bool Exists(const std::wstring& path) override;
    std::unique_ptr<RecordFile> Open(const std::wstring& path, FileAccess access) override;
    std::unique_ptr<RecordFile> Create(const std::wstring& path, bool replace) override;

    static std::string NativePath(const std::wstring& path);
};

} // namespace quillery
