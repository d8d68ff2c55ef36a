#pragma once

#include "platform/RecordFile.h"

#include <memory>
#include <string>

namespace quillery {

enum class FileAccess { ReadWrite, ReadOnly };

// Opening data files. Paths are Windows paths (backslashes); every file is opened shared for
// reading and writing, so that other threads and processes can have it open at the same time.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool Exists(const std::wstring& path) = 0;

    // Opens an existing file; nothing when it is missing or cannot be opened that way.
    virtual std::unique_ptr<RecordFile> Open(const std::wstring& path, FileAccess access) = 0;

    // Creates a new, empty file (replacing an existing one only when `replace` is set).
    virtual std::unique_ptr<RecordFile> Create(const std::wstring& path, bool replace) = 0;
};

} // namespace quillery
