// Real file calls: the Win32 file system on its own, and the store on top of it.

#include "Win32TestSupport.h"

#include "messages/Messages.h"
#include "session/MenuSession.h"
#include "winapi/UniqueResource.h"

#include <gtest/gtest.h>

namespace quillery {
namespace {

using win32::UniqueFile;
using win32::Win32FileSystem;
using wintest::DataFileBytes;
using wintest::MessageBoxWatcher;
using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::TempDirectory;
using wintest::WriteWholeFile;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int value : values) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return bytes;
}

// ---- The file system on its own -------------------------------------------------------------

TEST(Win32FileSystemTest, OpensAndCreatesOnlyAsAsked) {
    TempDirectory dir;
    Win32FileSystem files;
    const std::wstring path = dir.File(L"Menu.dat");
    const std::wstring missing = dir.File(L"missing.dat");

    for (const FileAccess access : {FileAccess::ReadWrite, FileAccess::ReadOnly}) {
        EXPECT_EQ(files.Open(missing, access), nullptr);
    }
    EXPECT_FALSE(files.Exists(missing)) << "opening must never create the file";
    EXPECT_FALSE(files.Exists(dir.path())) << "a directory is not a data file";

    auto created = files.Create(path, false);
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->WriteAt(0, Bytes({1, 2, 3}).data(), 3));
    created.reset();
    EXPECT_TRUE(files.Exists(path));
    EXPECT_EQ(files.Create(path, false), nullptr) << "an existing file is kept";

    auto readOnly = files.Open(path, FileAccess::ReadOnly);
    ASSERT_NE(readOnly, nullptr);
    EXPECT_FALSE(readOnly->WriteAt(0, Bytes({7}).data(), 1));
    EXPECT_FALSE(readOnly->WriteAt(3, Bytes({7}).data(), 1));
    readOnly.reset();
    EXPECT_EQ(ReadWholeFile(path), Bytes({1, 2, 3}));

    EXPECT_NE(files.Create(path, true), nullptr); // replaced by an empty one
    EXPECT_TRUE(ReadWholeFile(path).empty());
}

TEST(Win32FileSystemTest, ReadsGiveTheShortCountAtTheEnd) {
    TempDirectory dir;
    const std::wstring path = dir.File(L"Menu.dat");
    const auto content = Pattern(300);
    WriteWholeFile(path, content);
    auto file = Win32FileSystem().Open(path, FileAccess::ReadOnly);
    ASSERT_NE(file, nullptr);

    struct Case {
        std::uint64_t offset;
        std::size_t size;
        std::size_t expected;
    } cases[] = {{0, 232, 232},  {232, 232, 68},         {299, 2, 1}, {300, 232, 0},
                 {5104, 232, 0}, {0x100000000ull, 8, 0}, {10, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " size " << c.size);
        std::vector<std::uint8_t> buffer(c.size + 1, 0xEE);
        const auto got = file->ReadAt(c.offset, buffer.data(), c.size);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, c.expected);
        for (std::size_t i = 0; i < *got; ++i) {
            ASSERT_EQ(buffer[i], content[c.offset + i]) << "byte " << i;
        }
        EXPECT_EQ(buffer[c.size], 0xEE) << "wrote past the buffer";
    }
}

TEST(Win32FileSystemTest, WritesLandAtTheirOffsetAndGrowTheFile) {
    TempDirectory dir;
    const std::wstring path = dir.File(L"Menu.dat");
    WriteWholeFile(path, Bytes({9, 9, 9, 9}));
    auto file = Win32FileSystem().Open(path, FileAccess::ReadWrite);
    ASSERT_NE(file, nullptr);

    const auto record = Pattern(232);
    ASSERT_TRUE(file->WriteAt(4872, record.data(), record.size())); // item 20, far past the end
    ASSERT_TRUE(file->WriteAt(1, Bytes({5, 6}).data(), 2));

    const auto bytes = ReadWholeFile(path);
    ASSERT_EQ(bytes.size(), 5104u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), Bytes({9, 5, 6, 9}));
    EXPECT_TRUE(std::all_of(bytes.begin() + 4, bytes.begin() + 4872, [](auto b) { return b == 0; }))
        << "the gap reads as zero bytes";
    EXPECT_TRUE(std::equal(record.begin(), record.end(), bytes.begin() + 4872));
}

TEST(Win32FileSystemTest, SeveralHandlesShareTheFile) {
    TempDirectory dir;
    const std::wstring path = dir.File(L"Menu.dat");
    WriteWholeFile(path, std::vector<std::uint8_t>(232 * 3, 0));
    Win32FileSystem files;
    auto first = files.Open(path, FileAccess::ReadWrite);
    auto second = files.Open(path, FileAccess::ReadWrite);
    auto reader = files.Open(path, FileAccess::ReadOnly);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(reader, nullptr);

    // Each write is seen at once through the other handles, with no flush or reopening.
    ASSERT_TRUE(first->WriteAt(232, Bytes({0xA1, 0xA2}).data(), 2));
    ASSERT_TRUE(second->WriteAt(464, Bytes({0xB1}).data(), 1));
    std::uint8_t seen[2] = {};
    ASSERT_EQ(second->ReadAt(232, seen, 2), std::optional<std::size_t>(2));
    EXPECT_EQ(Bytes({seen[0], seen[1]}), Bytes({0xA1, 0xA2}));
    ASSERT_EQ(reader->ReadAt(464, seen, 1), std::optional<std::size_t>(1));
    EXPECT_EQ(seen[0], 0xB1);
    ASSERT_EQ(first->ReadAt(464, seen, 1), std::optional<std::size_t>(1));
    EXPECT_EQ(seen[0], 0xB1);
}

// What the store needs to take back a failed write and to notice that the file has gone.
TEST(Win32FileSystemTest, SizeTruncationAndWhetherThePathStillNamesTheFile) {
    TempDirectory dir;
    const std::wstring path = dir.File(L"Menu.dat");
    WriteWholeFile(path, Pattern(700));
    auto file = Win32FileSystem().Open(path, FileAccess::ReadWrite);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), std::optional<std::uint64_t>(700));
    ASSERT_TRUE(file->Truncate(464));
    EXPECT_EQ(file->Size(), std::optional<std::uint64_t>(464));
    EXPECT_EQ(ReadWholeFile(path), std::vector<std::uint8_t>(Pattern(464)));
    EXPECT_TRUE(file->IsStillAtItsPath());

    // Rewritten in place by another handle: still the same file.
    ASSERT_TRUE(wintest::RewriteInPlace(path, Pattern(10)));
    EXPECT_TRUE(file->IsStillAtItsPath());

    if (!wintest::RunningOnWine()) {
        return; // Windows lets nobody delete or replace the open file (DataFileFaultTest)
    }
    const std::wstring other = dir.File(L"other.dat");
    WriteWholeFile(other, Pattern(5));
    ASSERT_TRUE(wintest::RunOnHost({"mv", wintest::HostPath(other), wintest::HostPath(path)}));
    EXPECT_FALSE(file->IsStillAtItsPath()) << "another file took its place";
    ASSERT_TRUE(wintest::RunOnHost({"rm", wintest::HostPath(path)}));
    EXPECT_FALSE(file->IsStillAtItsPath()) << "deleted";
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_FALSE(file->IsStillAtItsPath()) << "a directory took its place";
    ::RemoveDirectoryW(path.c_str());
}

// ---- The store on real files ----------------------------------------------------------------

class RealStoreTest : public ::testing::Test {
protected:
    bool Open() { return session.OpenMenuFile(L"11240"); }

    RealPlatform platform;
    MessageBoxWatcher boxes;
    MenuSession session{platform.port};
};

TEST_F(RealStoreTest, MissingFileShowsTheBoxAndCreatesNothing) {
    EXPECT_FALSE(Open());
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, messages::kErrorOpeningDataFile);
    EXPECT_EQ(seen[0].title, L"Quillery");
    EXPECT_EQ(seen[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(seen[0].icon, L"stop");
    EXPECT_EQ(::GetFileAttributesW(platform.MenuFile().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RealStoreTest, OpensAndWritesThroughRealCalls) {
    WriteWholeFile(platform.MenuFile(), DataFileBytes({{1, L"Header"}, {3, L"First"}}));
    EXPECT_TRUE(Open());
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(TrimSpaces(session.Snippet(1).Description), L"First");
    EXPECT_EQ(session.Addresses().site, L"text of Header?fact=11240");

    MenuRecord changed = session.Snippet(1);
    changed.SetDescription(L"Caf\u00E9 \u20AC"); // stored as the code page's bytes
    EXPECT_TRUE(session.SaveItem(20, changed));
    session.CloseMenuFile();

    const auto bytes = ReadWholeFile(platform.MenuFile());
    ASSERT_EQ(bytes.size(), 5104u);
    const std::string description(bytes.begin() + 4872, bytes.begin() + 4872 + 30);
    EXPECT_EQ(description, "Caf\xE9 \x80" + std::string(24, ' '));
    EXPECT_TRUE(boxes.Seen().empty());
}

// A file the component may read but not write opens for reading: the menu works, and every
// write shows "Error saving menu item" and leaves the file as it was.
void ExpectReadableButNotWritable(MenuSession& session, MessageBoxWatcher& boxes,
                                  const std::wstring& path) {
    const auto before = ReadWholeFile(path);
    ASSERT_TRUE(session.OpenMenuFile(L"00000"));
    EXPECT_TRUE(boxes.Seen().empty());
    MenuRecord item = session.Snippet(1);
    EXPECT_EQ(TrimSpaces(item.Description), L"Kept");

    item.SetDescription(L"Changed");
    EXPECT_FALSE(session.SaveItem(1, item));
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, messages::kErrorSavingItem);
    EXPECT_EQ(seen[0].title, L"Quillery");
    EXPECT_EQ(seen[0].icon, L"stop");
    EXPECT_EQ(ReadWholeFile(path), before);
}

TEST_F(RealStoreTest, FileHeldByAnotherProgramThatDeniesWritingOpensForReading) {
    WriteWholeFile(platform.MenuFile(), DataFileBytes({{1, L"Header"}, {3, L"Kept"}}));
    // Another program reading the file and sharing it for reading only: nobody may write.
    UniqueFile holder(::CreateFileW(platform.MenuFile().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    ASSERT_EQ(platform.files.Open(platform.MenuFile(), FileAccess::ReadWrite), nullptr);
    ExpectReadableButNotWritable(session, boxes, platform.MenuFile());
}

TEST_F(RealStoreTest, ReadOnlyAttributeOpensForReading) {
    WriteWholeFile(platform.MenuFile(), DataFileBytes({{1, L"Header"}, {3, L"Kept"}}));
    ASSERT_TRUE(::SetFileAttributesW(platform.MenuFile().c_str(), FILE_ATTRIBUTE_READONLY));
    if (UniqueFile(::CreateFileW(platform.MenuFile().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, 0, nullptr))) {
        // Wine keeps the attribute as the file's Unix write permission, which does not bind
        // root: run as root, the file stays writable and there is nothing to test.
        GTEST_SKIP() << "the read-only attribute does not stop writing here (attributes 0x"
                     << std::hex << ::GetFileAttributesW(platform.MenuFile().c_str()) << ")";
    }
    ExpectReadableButNotWritable(session, boxes, platform.MenuFile());
}

TEST_F(RealStoreTest, TwoThreadsHaveTheFileOpenAtOnce) {
    WriteWholeFile(platform.MenuFile(), DataFileBytes({{1, L"Header"}, {3, L"Shared"}}));
    ASSERT_TRUE(Open());

    std::wstring otherSaw;
    bool otherWrote = false;
    wintest::Thread other([&] {
        MenuSession otherSession(platform.port);
        otherSession.OpenMenuFile(L"00000"); // while this thread still has the file open
        otherSaw = TrimSpaces(otherSession.Snippet(1).Description);
        MenuRecord record = otherSession.Snippet(1);
        record.SetDescription(L"From the other thread");
        otherWrote = otherSession.SaveItem(1, record);
        otherSession.CloseMenuFile();
    });
    other.Join();

    EXPECT_EQ(otherSaw, L"Shared");
    EXPECT_TRUE(otherWrote);
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(TrimSpaces(session.Snippet(1).Description), L"Shared"); // its own table
    const std::optional<MenuRecord> reread = session.ReadRecord(3);
    ASSERT_TRUE(reread.has_value());
    EXPECT_EQ(TrimSpaces(reread->Description), L"From the other thread");
}

} // namespace
} // namespace quillery
