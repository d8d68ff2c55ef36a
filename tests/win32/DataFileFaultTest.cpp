// Damaged data files, and other programs acting on the data file while the editor is open,
// under the real file calls and windows. Each case ends with one of the component's own
// messages or none, the request returns, and the file then holds what it held before and what
// the user saved, nothing else.

#include "Win32TestSupport.h"

#include "menu/MenuRequest.h"
#include "messages/Messages.h"
#include "store/RecordCodec.h"

#include <gtest/gtest.h>

#include <functional>

namespace quillery {
namespace {

using wintest::FindVisible;
using wintest::HostPath;
using wintest::MessageBoxWatcher;
using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::RecordBytesOf;
using wintest::RecordOf;
using wintest::RunOnHost;
using wintest::User;
using wintest::WaitFor;
using wintest::WriteWholeFile;

// A data file with the welcome window off and items `items`.
std::vector<std::uint8_t> ItemsFile(const std::vector<int>& items) {
    return wintest::MenuFileBytes(L"", 1, items);
}

// `bytes` with record `number` replaced by `record`.
std::vector<std::uint8_t> WithRecord(std::vector<std::uint8_t> bytes, int number,
                                     const std::vector<std::uint8_t>& record) {
    const std::size_t offset = static_cast<std::size_t>(number - 1) * kRecordSize;
    bytes.resize(std::max(bytes.size(), offset + kRecordSize), 0);
    std::copy(record.begin(), record.end(), bytes.begin() + static_cast<long>(offset));
    return bytes;
}

class DataFileFaultTest : public ::testing::Test {
protected:
    void SetUp() override { ::SetCursorPos(200, 300); }

    // A request in which the user edits line `line` as wintest::EditAndApply does. Gives what
    // the request returned.
    std::wstring EditAndApply(int line, const std::wstring& description,
                              const std::function<void()>& meanwhile = {},
                              const std::function<void(HWND)>& afterApply = {}) {
        bool edited = false;
        std::wstring result;
        {
            User user([&] {
                edited = wintest::EditAndApply(line, L'e', description, meanwhile, afterApply);
            });
            result = RunMenuRequest(platform.port, platform.views);
        }
        EXPECT_TRUE(edited) << "the editor did not come and go";
        return result;
    }

    // After Apply: once the report is answered, the editor is there again with what was
    // typed, and the user gives it up with Cancel.
    void CancelOnceTold(HWND editor) {
        editorStayed = WaitFor([&] {
            return !boxes.Seen().empty() && ::IsWindow(editor) && ::IsWindowEnabled(editor);
        });
        wchar_t typed[64] = L"";
        ::GetDlgItemTextW(editor, 201, typed, 64);
        typingKept = typed;
        ::SendMessageW(::GetDlgItem(editor, 212), BM_CLICK, 0, 0); // Cancel
    }

    // The one report that a save that could not be written gives, and the editor it left open.
    void ExpectSaveRefused() {
        const auto seen = boxes.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, messages::kErrorSavingItem);
        EXPECT_EQ(seen[0].title, L"Quillery");
        EXPECT_EQ(seen[0].icon, L"stop");
        EXPECT_TRUE(editorStayed);
        EXPECT_EQ(typingKept, L"Edited");
    }

    bool editorStayed = false;
    std::wstring typingKept;

    RealPlatform platform;
    MessageBoxWatcher boxes;
};

// ---- Damaged files ---------------------------------------------------------------------------

TEST_F(DataFileFaultTest, TenMegabyteFileOpensAndOnlyTheEditedRecordChanges) {
    std::vector<std::uint8_t> before = ItemsFile({1, 2, 3});
    before.resize(10u << 20);
    for (std::size_t i = 22 * kRecordSize; i < before.size(); ++i) {
        before[i] = static_cast<std::uint8_t>(i * 31 + 7); // records the store never reads
    }
    WriteWholeFile(platform.MenuFile(), before);

    EXPECT_EQ(EditAndApply(2, L"Edited"), L"");
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()),
              WithRecord(before, 4, RecordBytesOf(L"Edited", L"text of 2", 0)));
}

// Three bytes: the header reads them followed by zeros, so its flag is 0 and the welcome
// window asks; its answer is the one thing written, into the header's flag.
TEST_F(DataFileFaultTest, ThreeByteFileShowsTheWelcomeAndKeepsItsBytes) {
    const std::vector<std::uint8_t> before{'a', 'b', 'c'};
    WriteWholeFile(platform.MenuFile(), before);
    bool welcomed = false;
    {
        User user([&] {
            HWND welcome = nullptr;
            welcomed = WaitFor([&] { return (welcome = FindVisible(L"QuilleryWelcome")); });
            ASSERT_TRUE(welcomed);
            ::SendMessageW(::GetDlgItem(welcome, 102), BM_CLICK, 0, 0); // do not show again
            ::SendMessageW(::GetDlgItem(welcome, 101), BM_CLICK, 0, 0); // Continue
            HWND popup = nullptr;
            ASSERT_TRUE(WaitFor([&] { return (popup = FindVisible(L"QuillerySnippetMenu")); }));
            ::PostMessageW(popup, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    }
    EXPECT_TRUE(welcomed);
    EXPECT_TRUE(boxes.Seen().empty());
    std::vector<std::uint8_t> expected = before;
    expected.resize(kRecordSize, 0);
    expected[kFlagOffset] = 1;
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()), expected);
}

// The file ends 100 bytes into item 4's record: the item shows what is there, and saving it
// writes its record whole.
TEST_F(DataFileFaultTest, FileEndingInsideARecordShowsThatItemAndSavesItWhole) {
    std::vector<std::uint8_t> before = ItemsFile({1, 2, 3, 4});
    before.resize(5 * kRecordSize + 100);
    WriteWholeFile(platform.MenuFile(), before);

    EXPECT_EQ(EditAndApply(4, L"Whole again"), L"");
    EXPECT_TRUE(boxes.Seen().empty());
    const auto after = ReadWholeFile(platform.MenuFile());
    ASSERT_EQ(after.size(), 6 * kRecordSize);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 5 * kRecordSize, after.begin()));
    EXPECT_EQ(RecordOf(after, 6), RecordBytesOf(L"Whole again", L"text of 4", 0));
}

TEST_F(DataFileFaultTest, DirectoryInPlaceOfTheFileIsReportedAndLeftAlone) {
    ASSERT_TRUE(::CreateDirectoryW(platform.MenuFile().c_str(), nullptr));
    EXPECT_EQ(RunMenuRequest(platform.port, platform.views), L"");
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, messages::kErrorOpeningDataFile);
    EXPECT_EQ(seen[0].icon, L"stop");
    EXPECT_EQ(::FindWindowW(L"QuillerySnippetMenu", nullptr), nullptr);
    const DWORD attributes = ::GetFileAttributesW(platform.MenuFile().c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(::RemoveDirectoryW(platform.MenuFile().c_str())) << "it was left empty";
}

// ---- Other programs while the editor is open -------------------------------------------------

// The open file shares reading and writing, not deleting: through the system's calls no other
// program can delete, move or replace it, and the user's Apply then saves as usual.
TEST_F(DataFileFaultTest, OtherProgramsCanNeitherDeleteNorMoveNorReplaceTheOpenFile) {
    const auto before = ItemsFile({1, 2, 3});
    WriteWholeFile(platform.MenuFile(), before);
    const std::wstring other = platform.dir.File(L"other.dat");
    WriteWholeFile(other, ItemsFile({5}));
    std::vector<DWORD> errors;

    EXPECT_EQ(EditAndApply(2, L"Edited",
                           [&] {
                               const std::wstring& menuFile = platform.MenuFile();
                               const std::wstring moved = platform.dir.File(L"moved.dat");
                               for (const BOOL done :
                                    {::DeleteFileW(menuFile.c_str()),
                                     ::MoveFileExW(menuFile.c_str(), moved.c_str(), 0),
                                     ::MoveFileExW(other.c_str(), menuFile.c_str(),
                                                   MOVEFILE_REPLACE_EXISTING)}) {
                                   errors.push_back(done ? ERROR_SUCCESS : ::GetLastError());
                               }
                           }),
              L"");
    // Windows refuses each with a sharing violation; Wine refuses the replacement as a denied
    // access.
    ASSERT_EQ(errors.size(), 3u);
    for (const DWORD error : errors) {
        EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) << error;
    }
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()),
              WithRecord(before, 4, RecordBytesOf(L"Edited", L"text of 2", 0)));
    EXPECT_EQ(ReadWholeFile(other), ItemsFile({5}));
}

// Another program rewrote the file in place (it may: the file shares writing) with other
// snippets. The user's edit came from the older view, so it is not written over theirs.
TEST_F(DataFileFaultTest, FileRewrittenByAnotherProgramIsNotWrittenOverFromTheOlderView) {
    WriteWholeFile(platform.MenuFile(), ItemsFile({1, 2, 3}));
    const auto theirs = ItemsFile({7, 8});

    bool rewritten = false;
    EXPECT_EQ(EditAndApply(
                  2, L"Edited",
                  [&] { rewritten = wintest::RewriteInPlace(platform.MenuFile(), theirs); },
                  [&](HWND editor) { CancelOnceTold(editor); }),
              L"");
    ASSERT_TRUE(rewritten);
    EXPECT_TRUE(editorStayed);
    EXPECT_EQ(typingKept, L"Edited");
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{messages::kChangedElsewhere});
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()), theirs);
}

// The host system is not bound by Windows' sharing: there, another program can delete the
// file or put another in its place while the editor is open. Apply then writes into neither
// the deleted file (which nobody would read again) nor the new one, and creates nothing; the
// editor keeps what was typed.
class HostProgramTest : public DataFileFaultTest {
protected:
    void SetUp() override {
        if (!wintest::RunningOnWine()) {
            GTEST_SKIP() << "needs Wine's host system, which can delete a file that is open";
        }
        DataFileFaultTest::SetUp();
        WriteWholeFile(platform.MenuFile(), ItemsFile({1, 2, 3}));
    }

    // Edits line 2 while the host runs `command`, which makes `gone` disappear.
    std::wstring EditWhileTheHostRuns(const std::vector<std::string>& command,
                                      const std::wstring& gone) {
        return EditAndApply(
            2, L"Edited",
            [&] {
                ranOnHost =
                    RunOnHost(command) && WaitFor([&] {
                        return ::GetFileAttributesW(gone.c_str()) == INVALID_FILE_ATTRIBUTES;
                    });
            },
            [&](HWND editor) { CancelOnceTold(editor); });
    }

    bool ranOnHost = false;
};

TEST_F(HostProgramTest, FileDeletedWhileTheEditorIsOpenIsNeitherWrittenNorCreated) {
    const std::wstring menuFile = platform.MenuFile();
    EXPECT_EQ(EditWhileTheHostRuns({"rm", HostPath(menuFile)}, menuFile), L"");
    ASSERT_TRUE(ranOnHost);
    ExpectSaveRefused();
    EXPECT_EQ(::GetFileAttributesW(menuFile.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HostProgramTest, FileReplacedWhileTheEditorIsOpenKeepsTheNewOne) {
    const std::wstring other = platform.dir.File(L"other.dat");
    const auto theirs = ItemsFile({7, 8});
    WriteWholeFile(other, theirs);
    EXPECT_EQ(EditWhileTheHostRuns({"mv", HostPath(other), HostPath(platform.MenuFile())}, other),
              L"");
    ASSERT_TRUE(ranOnHost);
    ExpectSaveRefused();
    EXPECT_EQ(ReadWholeFile(platform.MenuFile()), theirs);
}

} // namespace
} // namespace quillery
