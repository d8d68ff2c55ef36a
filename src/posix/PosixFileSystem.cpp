#include "posix/PosixFileSystem.h"

#include "base/Utf8.h"

#include <algorithm>
#include <string>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillery {
namespace {

// Owns one file descriptor.
class PosixRecordFile final : public RecordFile {
public:
    PosixRecordFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixRecordFile() override { ::close(fd_); }
    PosixRecordFile(const PosixRecordFile&) = delete;
    PosixRecordFile& operator=(const PosixRecordFile&) = delete;

    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* buffer,
                                      std::size_t size) override {
        std::size_t total = 0;
        while (total < size) {
            const ssize_t got =
                ::pread(fd_, buffer + total, size - total, static_cast<off_t>(offset + total));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return std::nullopt;
            }
            if (got == 0) {
                break;
            }
            total += static_cast<std::size_t>(got);
        }
        return total;
    }

    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        std::size_t total = 0;
        while (total < size) {
            const ssize_t put =
                ::pwrite(fd_, data + total, size - total, static_cast<off_t>(offset + total));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            total += static_cast<std::size_t>(put);
        }
        return true;
    }

    std::optional<std::uint64_t> Size() override {
        struct stat info {};
        if (::fstat(fd_, &info) != 0) {
            return std::nullopt;
        }
        return static_cast<std::uint64_t>(info.st_size);
    }

    bool Truncate(std::uint64_t size) override {
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
    }

    bool IsStillAtItsPath() override {
        struct stat mine {};
        struct stat named {};
        return ::fstat(fd_, &mine) == 0 && ::stat(path_.c_str(), &named) == 0 &&
               mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
    }

private:
    int fd_;
    std::string path_;
};

std::unique_ptr<RecordFile> OpenAt(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<PosixRecordFile>(fd, path);
}

} // namespace

std::string PosixFileSystem::NativePath(const std::wstring& path) {
    std::wstring slashed = path;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    return ToUtf8(slashed);
}

bool PosixFileSystem::Exists(const std::wstring& path) {
    struct stat info {};
    return ::stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::unique_ptr<RecordFile> PosixFileSystem::Open(const std::wstring& path, FileAccess access) {
    const int flags = (access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    return OpenAt(NativePath(path), flags);
}

std::unique_ptr<RecordFile> PosixFileSystem::Create(const std::wstring& path, bool replace) {
    const int flags = O_RDWR | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL);
    return OpenAt(NativePath(path), flags);
}

} // namespace quillery
