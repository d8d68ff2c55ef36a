#pragma once

#include "cp1252/Cp1252Codec.h"
#include "platform/Platform.h"
#include "posix/PosixFileSystem.h"
#include "posix/PosixThreadSlot.h"
#include "support/FakeUi.h"
#include "support/RecordLayout.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillery::testing {

// One message box that the component showed.
struct ShownBox {
    std::wstring text;
    std::wstring title;
    unsigned style = 0;
};

// Message boxes: recorded, answered from a queue (OK when the queue is empty), and an
// optional hook that runs while the box is "up", as the timer may in a real nested loop.
class FakeDialogs final : public Dialogs {
public:
    int ShowMessage(const std::wstring& text, const std::wstring& title, unsigned style) override;

    std::vector<ShownBox> shown;
    std::vector<int> answers;
    std::function<void()> whileShown;
    bool failToShow = false;
};

class FakeSystemInfo final : public SystemInfo {
public:
    std::optional<std::uint32_t> VolumeSerialNumber(const std::wstring& root) override;
    std::wstring ComponentDirectory() override { return directory; }
    std::wstring ExecutableName() override { return executableName; }

    std::optional<std::uint32_t> serial = 0x1234ABCD;
    std::vector<std::wstring> queriedRoots;
    std::wstring directory;
    std::wstring executableName = L"Pennock";
};

// The shell: records every launch and answers with `result`.
class FakeShell final : public Shell {
public:
    struct Launch {
        std::wstring operation, file, parameters, directory;
        int show = 0;
    };
    std::intptr_t Execute(const std::wstring& operation, const std::wstring& file,
                          const std::wstring& parameters, const std::wstring& directory,
                          int showCommand) override;
    std::wstring CurrentDirectory() override { return currentDirectory; }

    std::vector<Launch> launches;
    std::intptr_t result = 42;
    bool throwOnExecute = false;
    std::function<void()> whileLaunching;
    std::wstring currentDirectory = L"C:\\Host\\Current";
};

// Real files on disk, with failures injected by record number (offset / 232 + 1).
class FaultyFileSystem final : public FileSystem {
public:
    bool Exists(const std::wstring& path) override;
    std::unique_ptr<RecordFile> Open(const std::wstring& path, FileAccess access) override;
    std::unique_ptr<RecordFile> Create(const std::wstring& path, bool replace) override;

    bool refuseReadWrite = false; // the file is read-only
    bool refuseOpen = false;      // the file exists but cannot be opened at all
    std::set<int> failReadOfRecord;
    std::set<int> failWriteOfRecord;
    std::set<int> tearWriteOfRecord; // the next write writes half of it, then fails (a full disk)
    std::vector<int> readRecords;    // every record read, in order
    std::vector<int> writtenRecords; // every record written, in order
    int openFiles = 0;               // files opened or created and not yet closed

private:
    PosixFileSystem real_;
};

// A temporary directory that holds the component's data file, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::wstring WindowsPath() const; // with a backslash before the file name, as the store joins

private:
    std::filesystem::path path_;
};

// The fakes of one test, and the port that hands them to a request. No request is marked as
// running on the thread when the test starts, nor left marked when it ends.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    FakeDialogs dialogs;
    FakeSystemInfo system;
    FaultyFileSystem files;
    Cp1252Codec ansi;
    FakeUi ui;
    FakeShell shell;
    PosixThreadSlot threads;
    TempDir dir;
    Platform port{&files, &ansi, &system, &dialogs, &ui, &shell, &threads};

    std::filesystem::path MenuFile() const { return dir.path() / "Menu.dat"; }
};

// Raw bytes of a file, and one record's bytes written by hand from the file's layout.
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
using test_bytes::RecordBytesOf;

} // namespace quillery::testing
