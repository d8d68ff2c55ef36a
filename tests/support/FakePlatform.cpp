#include "support/FakePlatform.h"

#include "store/RecordCodec.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillery::testing {
namespace {

int RecordAt(std::uint64_t offset) {
    return static_cast<int>(offset / kRecordSize) + 1;
}

class FaultyRecordFile final : public RecordFile {
public:
    FaultyRecordFile(std::unique_ptr<RecordFile> real, FaultyFileSystem& owner)
        : real_(std::move(real)), owner_(owner) {
        ++owner_.openFiles;
    }
    ~FaultyRecordFile() override { --owner_.openFiles; }
    FaultyRecordFile(const FaultyRecordFile&) = delete;
    FaultyRecordFile& operator=(const FaultyRecordFile&) = delete;

    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* buffer,
                                      std::size_t size) override {
        // A read of several records reads, and fails on, each of them; a read of nothing reads
        // no record.
        bool failed = false;
        const int end = size == 0 ? RecordAt(offset) : RecordAt(offset + size - 1) + 1;
        for (int record = RecordAt(offset); record < end; ++record) {
            owner_.readRecords.push_back(record);
            failed = failed || owner_.failReadOfRecord.count(record) != 0;
        }
        if (failed) {
            return std::nullopt;
        }
        return real_->ReadAt(offset, buffer, size);
    }

    bool WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) override {
        const int record = RecordAt(offset);
        owner_.writtenRecords.push_back(record);
        if (owner_.failWriteOfRecord.count(record) != 0) {
            return false;
        }
        if (owner_.tearWriteOfRecord.erase(record) != 0) {
            real_->WriteAt(offset, data, size / 2);
            return false;
        }
        return real_->WriteAt(offset, data, size);
    }

    std::optional<std::uint64_t> Size() override { return real_->Size(); }
    bool Truncate(std::uint64_t size) override { return real_->Truncate(size); }
    bool IsStillAtItsPath() override { return real_->IsStillAtItsPath(); }

private:
    std::unique_ptr<RecordFile> real_;
    FaultyFileSystem& owner_;
};

// A file opened for reading only: writes fail as they would on a read-only file.
class ReadOnlyRecordFile final : public RecordFile {
public:
    explicit ReadOnlyRecordFile(std::unique_ptr<RecordFile> real) : real_(std::move(real)) {}
    std::optional<std::size_t> ReadAt(std::uint64_t offset, std::uint8_t* buffer,
                                      std::size_t size) override {
        return real_->ReadAt(offset, buffer, size);
    }
    bool WriteAt(std::uint64_t, const std::uint8_t*, std::size_t) override { return false; }
    std::optional<std::uint64_t> Size() override { return real_->Size(); }
    bool Truncate(std::uint64_t) override { return false; }
    bool IsStillAtItsPath() override { return real_->IsStillAtItsPath(); }

private:
    std::unique_ptr<RecordFile> real_;
};

} // namespace

int FakeDialogs::ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) {
    if (failToShow) {
        throw std::runtime_error("no message box");
    }
    shown.push_back({text, title, style});
    if (whileShown) {
        whileShown();
    }
    if (answers.empty()) {
        return box::kAnswerOk;
    }
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

std::optional<std::uint32_t> FakeSystemInfo::VolumeSerialNumber(const std::wstring& root) {
    queriedRoots.push_back(root);
    return serial;
}

std::intptr_t FakeShell::Execute(const std::wstring& operation, const std::wstring& file,
                                 const std::wstring& parameters, const std::wstring& directory,
                                 int showCommand) {
    if (throwOnExecute) {
        throw std::runtime_error("the shell failed");
    }
    launches.push_back({operation, file, parameters, directory, showCommand});
    if (whileLaunching) {
        whileLaunching();
    }
    return result;
}

bool FaultyFileSystem::Exists(const std::wstring& path) {
    return real_.Exists(path);
}

std::unique_ptr<RecordFile> FaultyFileSystem::Open(const std::wstring& path, FileAccess access) {
    if (refuseOpen || (refuseReadWrite && access == FileAccess::ReadWrite)) {
        return nullptr;
    }
    auto real = real_.Open(path, access);
    if (!real) {
        return nullptr;
    }
    if (access == FileAccess::ReadOnly) {
        real = std::make_unique<ReadOnlyRecordFile>(std::move(real));
    }
    return std::make_unique<FaultyRecordFile>(std::move(real), *this);
}

std::unique_ptr<RecordFile> FaultyFileSystem::Create(const std::wstring& path, bool replace) {
    auto real = real_.Create(path, replace);
    return real ? std::make_unique<FaultyRecordFile>(std::move(real), *this) : nullptr;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillery-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary directory");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::wstring TempDir::WindowsPath() const {
    return path_.wstring();
}

FakePlatform::FakePlatform() {
    system.directory = dir.WindowsPath();
    threads.EndRequest();
}

FakePlatform::~FakePlatform() {
    threads.EndRequest();
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace quillery::testing
