#pragma once

#include "platform/FileSystem.h"

namespace quillery::win32 {

// Data files through CreateFileW. Every handle shares reading and writing, so that several
// threads and processes can have the same file open at once; a write through one handle is
// seen at once by a read through another. No handle shares deleting: an open file can be
// neither deleted nor renamed, nor replaced by another, through the system's calls.
class Win32FileSystem final : public FileSystem {
public:
    bool Exists(const std::wstring& path) override;
    std::unique_ptr<RecordFile> Open(const std::wstring& path, FileAccess access) override;
    std::unique_ptr<RecordFile> Create(const std::wstring& path, bool replace) override;
};

} // namespace quillery::win32
