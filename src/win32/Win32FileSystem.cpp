#include "win32/Win32FileSystem.h"

#include "win32/UniqueResource.h"

#include <algorithm>

namespace quillery::win32 {
namespace {

constexpr DWORD kShareMode = FILE_SHARE_READ | FILE_SHARE_WRITE;

// ReadFile and WriteFile count in DWORDs; larger requests go in pieces of this size.
constexpr std::size_t kMaxChunk = 1u << 30;

// Positions one ReadFile or WriteFile call. On a handle opened without FILE_FLAG_OVERLAPPED the
// call stays synchronous and does not depend on (or race for) the handle's file pointer.
OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

DWORD ChunkOf(std::size_t remaining) {
    return static_cast<DWORD>(std::min(remaining, kMaxChunk));
}

class Win32RecordFile final : public RecordFile {
public:
    explicit Win32RecordFile(UniqueFile file) : file_(std::move(file)) {}

    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* buffer,
                                      std::size_t size) override {
        std::size_t total = 0;
        while (total < size) {
            OVERLAPPED position = At(offset + total);
            DWORD got = 0;
            if (!::ReadFile(file_.get(), buffer + total, ChunkOf(size - total), &got, &position)) {
                // A positioned read that starts at or past the end fails with this code.
                if (::GetLastError() == ERROR_HANDLE_EOF) {
                    break;
                }
                return std::nullopt;
            }
            if (got == 0) {
                break;
            }
            total += got;
        }
        return total;
    }

    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        std::size_t total = 0;
        while (total < size) {
            OVERLAPPED position = At(offset + total);
            DWORD put = 0;
            if (!::WriteFile(file_.get(), data + total, ChunkOf(size - total), &put, &position) ||
                put == 0) {
                return false;
            }
            total += put;
        }
        return true;
    }

private:
    UniqueFile file_;
};

std::unique_ptr<RecordFile> OpenHandle(const std::wstring& path, DWORD access, DWORD disposition) {
    UniqueFile file(::CreateFileW(path.c_str(), access, kShareMode, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    return std::make_unique<Win32RecordFile>(std::move(file));
}

} // namespace

bool Win32FileSystem::Exists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::unique_ptr<RecordFile> Win32FileSystem::Open(const std::wstring& path, FileAccess access) {
    const DWORD rights =
        access == FileAccess::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    return OpenHandle(path, rights, OPEN_EXISTING);
}

std::unique_ptr<RecordFile> Win32FileSystem::Create(const std::wstring& path, bool replace) {
    return OpenHandle(path, GENERIC_READ | GENERIC_WRITE, replace ? CREATE_ALWAYS : CREATE_NEW);
}

} // namespace quillery::win32
