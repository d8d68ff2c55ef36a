// A disk that fills up while a record is written, under the real file calls and windows. The
// drive is a small file system of its own that tests/win32/with-small-drive.sh mounts for this
// program and names in QUILLERY_SMALL_DRIVE.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "messages/Messages.h"
#include "store/RecordCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <numeric>

namespace quillery {
namespace {

using wintest::MessageBoxWatcher;
using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::User;
using wintest::WriteWholeFile;

// Writes pieces of 4 KiB into a new file until the drive takes no more; the last error.
DWORD FillTheDrive(const std::wstring& filler) {
    const win32::UniqueFile file(
        ::CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (!file) {
        return ::GetLastError();
    }
    const std::vector<std::uint8_t> piece(4096, 0xF1);
    DWORD put = 0;
    while (::WriteFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &put, nullptr) &&
           put > 0) {
    }
    return ::GetLastError();
}

// The header and items 1 to 15 fill 3944 bytes; a sixteenth snippet's record reaches past
// the 4096 bytes that the file holds on the drive, so the full drive takes only its first 152
// bytes and refuses the rest. The file keeps its bytes and the editor what was typed; once
// there is room again, Apply saves it.
TEST(FullDiskTest, NewSnippetThatDoesNotFitIsReportedAndSavedOnceThereIsRoom) {
    const char* drive = std::getenv("QUILLERY_SMALL_DRIVE");
    if (drive == nullptr) {
        const char* reason = std::getenv("QUILLERY_SMALL_DRIVE_UNAVAILABLE");
        GTEST_SKIP() << "no small drive to fill: "
                     << (reason != nullptr ? reason
                                           : "run through tests/win32/with-small-drive.sh");
    }
    RealPlatform platform(std::wstring(drive, drive + std::strlen(drive)) + L"\\");
    MessageBoxWatcher boxes;
    ::SetCursorPos(200, 300);

    std::vector<int> items(15);
    std::iota(items.begin(), items.end(), 1);
    std::vector<std::uint8_t> before = wintest::MenuFileBytes(L"", 1, items);
    before.resize(17 * kRecordSize);
    WriteWholeFile(platform.MenuFile(), before);
    const std::wstring filler = platform.dir.File(L"filler");
    ASSERT_EQ(FillTheDrive(filler), static_cast<DWORD>(ERROR_DISK_FULL));

    bool edited = false;
    bool editorStayed = false;
    std::vector<std::uint8_t> afterFailure;
    std::wstring result;
    {
        User user([&] {
            edited = wintest::EditAndApply(1, L'n', L"Sixteenth", {}, [&](HWND editor) {
                editorStayed = wintest::WaitFor([&] {
                    return !boxes.Seen().empty() && ::IsWindow(editor) && ::IsWindowEnabled(editor);
                });
                wchar_t typed[64] = L"";
                ::GetDlgItemTextW(editor, 201, typed, 64);
                editorStayed = editorStayed && std::wstring(typed) == L"Sixteenth";
                afterFailure = ReadWholeFile(platform.MenuFile());
                ::DeleteFileW(filler.c_str());
                ::SendMessageW(::GetDlgItem(editor, 211), BM_CLICK, 0, 0); // Apply again
            });
        });
        result = RunMenuRequest(platform.port, platform.views);
    }
    EXPECT_TRUE(edited);
    EXPECT_TRUE(editorStayed) << "the editor did not stay with what was typed";
    EXPECT_EQ(result, L"");
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, messages::kErrorSavingItem);
    EXPECT_EQ(seen[0].icon, L"stop");
    EXPECT_EQ(afterFailure.size(), before.size()) << "no half record is left";
    EXPECT_EQ(afterFailure, before);
    std::vector<std::uint8_t> expected = before;
    const auto sixteenth = wintest::RecordBytesOf(L"Sixteenth", L"", 0);
    expected.insert(expected.end(), sixteenth.begin(), sixteenth.end());
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()), expected);
}

} // namespace
} // namespace quillery
