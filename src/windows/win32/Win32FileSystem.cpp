#include "win32/Win32FileSystem.h"

#include "winapi/UniqueResource.h"

#include <algorithm>
#include <optional>
#include <string>

namespace quillery::win32 {
namespace {

// Not FILE_SHARE_DELETE: while the file is open, no other program can delete, rename or
// replace it (only rewrite it in place).
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

// The identity of an open file: its volume and its number on that volume.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

class Win32RecordFile final : public RecordFile {
public:
    Win32RecordFile(UniqueFile file, std::wstring path)
        : file_(std::move(file)), path_(std::move(path)) {}

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

    std::optional<std::uint64_t> Size() override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file_.get(), &size)) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    // Moves the handle's file pointer, which the positioned reads and writes do not use.
    bool Truncate(std::uint64_t size) override {
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(size);
        return ::SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) &&
               ::SetEndOfFile(file_.get());
    }

    // The path opened again, without access rights, only to learn which file it names now:
    // such an open conflicts with no other program's sharing.
    bool IsStillAtItsPath() override {
        const UniqueFile named(::CreateFileW(path_.c_str(), 0,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
        if (!named) {
            return false;
        }
        const std::optional<FileIdentity> mine = IdentityOf(file_.get());
        return mine && mine == IdentityOf(named.get());
    }

private:
    UniqueFile file_;
    std::wstring path_;
};

std::unique_ptr<RecordFile> OpenHandle(const std::wstring& path, DWORD access, DWORD disposition) {
    UniqueFile file(::CreateFileW(path.c_str(), access, kShareMode, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    return std::make_unique<Win32RecordFile>(std::move(file), path);
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
