#include "base/Failure.h"
#include "messages/Messages.h"
#include "session/MenuSession.h"
#include "store/MenuDataFile.h"
#include "store/MenuStore.h"
#include "support/DataFile.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace quillery {
namespace {

using testing::FakePlatform;
using testing::ReadBytes;
using testing::RecordBytesOf;
using testing::WriteBytes;

using testing::DataFile;
constexpr const wchar_t* kBase = testing::kBaseAddress;

// The data file through the store, which answers with results, and through a request's
// session, which reports its failures.
class StoreTest : public ::testing::Test {
protected:
    void Save(const DataFile& file) { WriteBytes(platform.MenuFile(), file.bytes); }
    std::vector<std::uint8_t> Bytes() { return ReadBytes(platform.MenuFile()); }
    std::vector<std::wstring> Messages() {
        std::vector<std::wstring> texts;
        for (const auto& shown : platform.dialogs.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    std::unique_ptr<MenuStore> OpenStore() {
        return MenuStore::Open(platform.files, platform.ansi, MenuFilePath(platform.system));
    }
    bool Open(MenuSession& opening) { return opening.OpenMenuFile(L"30544"); }
    bool Open() { return Open(session); }

    FakePlatform platform;
    MenuSession session{platform.port};
};

// A window that closes the data file when a fatal report closes it, as the menu does.
class FileClosingWindow final : public ClosableWindow {
public:
    explicit FileClosingWindow(MenuSession& session) : session_(session) {}
    bool IsOpen() const override { return open; }
    void Close() noexcept override {
        open = false;
        session_.CloseMenuFile();
    }
    bool open = true;

private:
    MenuSession& session_;
};

TEST_F(StoreTest, OpensHeaderAndAllItems) {
    DataFile file;
    file.Header(1).Item(1, L"Name", L"Ada Lovelace").Item(20, L"Last", L"  twenty  ");
    Save(file);
    EXPECT_TRUE(Open());

    EXPECT_TRUE(platform.dialogs.shown.empty());
    EXPECT_EQ(platform.files.openFiles, 1);
    EXPECT_EQ(session.Addresses().site, std::wstring(kBase) + L"?fact=30544");
    EXPECT_EQ(session.Addresses().help, std::wstring(kBase) + L"?fact=30544&ref=help");
    EXPECT_EQ(session.Addresses().links, std::wstring(kBase) + L"?fact=30544&ref=links");
    EXPECT_EQ(TrimSpaces(session.Snippet(1).Text), L"Ada Lovelace");
    EXPECT_EQ(TrimSpaces(session.Snippet(20).Description), L"Last");
    for (int item = 2; item <= 19; ++item) {
        EXPECT_TRUE(session.Snippet(item).IsEmptyItem()) << item;
    }
    // Record 2 is never read; records 3..22 are read in order.
    std::vector<int> expected{1};
    for (int record = 3; record <= 22; ++record) {
        expected.push_back(record);
    }
    EXPECT_EQ(platform.files.readRecords, expected);
}

TEST_F(StoreTest, ShortFilesAndRecordsOutsideTheItems) {
    struct Case {
        const char* name;
        int records;        // records written, each item filled
        int lastFilledItem; // items above this read as all NUL
    } cases[] = {{"empty file", 0, 0}, {"ten records", 10, 8}, {"thirty records", 30, 20}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataFile file;
        for (int record = 1; record <= c.records; ++record) {
            file.Record(record, L"Item " + std::to_wstring(record), L"text", 0);
        }
        if (c.records >= 2) {
            file.Record(2, L"Never shown", L"record two", 0);
        }
        Save(file);
        MenuSession fresh(platform.port);
        EXPECT_TRUE(Open(fresh));
        EXPECT_TRUE(platform.dialogs.shown.empty());
        for (int item = 1; item <= 20; ++item) {
            const MenuRecord& slot = fresh.Snippet(item);
            if (item <= c.lastFilledItem) {
                EXPECT_EQ(TrimSpaces(slot.Description), L"Item " + std::to_wstring(item + 2));
            } else {
                EXPECT_EQ(slot, MenuRecord{}) << "item " << item;
            }
        }
        EXPECT_EQ(fresh.Snippet(0), MenuRecord{});
        EXPECT_EQ(fresh.Snippet(21), MenuRecord{}); // record 23 is never loaded
    }
}

TEST_F(StoreTest, EmptyFileGivesAllNulHeader) {
    Save(DataFile{});
    const auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->Read(kHeaderRecord), MenuRecord{});
    EXPECT_TRUE(Open());
    EXPECT_EQ(session.ReadRecord(kHeaderRecord), MenuRecord{});
    EXPECT_EQ(session.Addresses().site, std::wstring(200, L'\0') + L"?fact=30544");
    EXPECT_TRUE(Bytes().empty()); // reading never grows the file
    EXPECT_TRUE(platform.dialogs.shown.empty());
}

TEST_F(StoreTest, WritesAtTheRecordOfTheItemNumber) {
    struct Case {
        std::int16_t item;
        std::size_t offset;
    } cases[] = {{-1, 0}, {1, 464}, {3, 928}, {20, 4872}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        Save(DataFile{}.Header(1));
        auto store = OpenStore();
        ASSERT_NE(store, nullptr);
        MenuRecord record;
        record.SetDescription(L"Written");
        record.SetText(L"at " + std::to_wstring(c.offset));
        record.Flag = 7;
        EXPECT_EQ(store->WriteItem(c.item, record), WriteOutcome::Written);

        const auto bytes = Bytes();
        ASSERT_GE(bytes.size(), c.offset + 232);
        const auto expected = RecordBytesOf(L"Written", L"at " + std::to_wstring(c.offset), 7);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + c.offset));
        // What WriteItem(i) wrote, Read(i + 2) reads back.
        EXPECT_EQ(store->Read(RecordOfItem(c.item)), record);
    }
    // Item 20 into a one-record file: the gap reads as zero bytes, the file is 5104 bytes.
    EXPECT_EQ(Bytes().size(), 4872u + 232u);
    EXPECT_EQ(platform.files.openFiles, 0); // destroying the store closes the file
}

TEST_F(StoreTest, MissingFileIsReportedAndNeverCreated) {
    EXPECT_EQ(OpenStore(), nullptr);
    EXPECT_TRUE(platform.dialogs.shown.empty()); // the store tells nobody

    EXPECT_FALSE(Open());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorOpeningDataFile});
    EXPECT_EQ(platform.dialogs.shown[0].title, L"Quillery");
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u);
    EXPECT_FALSE(std::filesystem::exists(platform.MenuFile()));
    EXPECT_EQ(platform.files.openFiles, 0);
    EXPECT_EQ(session.Addresses().site, L"");
}

TEST_F(StoreTest, FileThatCannotBeOpenedIsReported) {
    Save(DataFile{}.Header(1));
    platform.files.refuseOpen = true;
    EXPECT_THROW(OpenStore(), Failure);
    EXPECT_TRUE(platform.dialogs.shown.empty());
    EXPECT_FALSE(Open());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorOpeningDataFile});
    EXPECT_EQ(platform.files.openFiles, 0);
}

TEST_F(StoreTest, ReadOnlyFileOpensAndEveryWriteFails) {
    DataFile file;
    file.Header(1).Item(1, L"Kept", L"kept text");
    Save(file);
    const auto before = Bytes();
    platform.files.refuseReadWrite = true;

    const auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    MenuRecord changed = store->Read(RecordOfItem(1));
    EXPECT_EQ(TrimSpaces(changed.Description), L"Kept");
    changed.SetDescription(L"Changed");
    EXPECT_THROW(store->WriteItem(1, changed), Failure);
    EXPECT_TRUE(platform.dialogs.shown.empty());

    EXPECT_TRUE(Open());
    EXPECT_TRUE(platform.dialogs.shown.empty());
    EXPECT_EQ(TrimSpaces(session.Snippet(1).Description), L"Kept");
    EXPECT_FALSE(session.SaveItem(1, changed));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(Bytes(), before);
}

// The store throws a failed read on and goes on reading; the session reports the
// failure as fatal, stops loading and closes the file even when no window is open.
TEST_F(StoreTest, FailedReadThrowsAndTheSessionReportsIt) {
    DataFile file;
    file.Header(1);
    for (int item = 1; item <= 20; ++item) {
        file.Item(item, L"Item " + std::to_wstring(item), L"text");
    }
    Save(file);
    platform.files.failReadOfRecord = {5, 9};

    const auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    EXPECT_THROW(store->Read(5), Failure);
    EXPECT_EQ(TrimSpaces(store->Read(6).Description), L"Item 4");
    EXPECT_THROW(store->Read(9), Failure);
    EXPECT_EQ(TrimSpaces(store->Read(22).Description), L"Item 20");
    EXPECT_TRUE(platform.dialogs.shown.empty());

    EXPECT_FALSE(Open());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u);
    EXPECT_EQ(platform.files.openFiles, 1); // the store opened above, not the session's
    EXPECT_TRUE(session.Snippet(3).IsEmptyItem());
    EXPECT_TRUE(session.Snippet(20).IsEmptyItem()); // never loaded
}

TEST_F(StoreTest, LoadingStopsOnceAFatalReportHasClosedTheFile) {
    DataFile file;
    file.Header(1);
    for (int item = 1; item <= 20; ++item) {
        file.Item(item, L"Item " + std::to_wstring(item), L"text");
    }
    Save(file);
    FileClosingWindow menu(session);
    session.Windows().Register(WindowRole::Menu, &menu);
    platform.files.failReadOfRecord = {5, 6, 7, 8};
    EXPECT_FALSE(Open());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_FALSE(menu.open);
    // The header, then the items in one read that fails: nothing is read again.
    std::vector<int> expected{1};
    for (int record = 3; record <= 22; ++record) {
        expected.push_back(record);
    }
    EXPECT_EQ(platform.files.readRecords, expected);
    EXPECT_TRUE(session.Snippet(2).IsEmptyItem()); // nothing of the failed read is loaded
    EXPECT_EQ(platform.files.openFiles, 0);
}

TEST_F(StoreTest, FailedHeaderReadIsDistinguishableAndWritesNothing) {
    Save(DataFile{}.Header(0));
    const auto before = Bytes();
    platform.files.failReadOfRecord = {1};
    const auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    EXPECT_THROW(store->Read(kHeaderRecord), Failure); // not the all-zero record
    EXPECT_FALSE(Open());
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_FALSE(session.ReadRecord(kHeaderRecord).has_value());
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(platform.files.writtenRecords.empty());
}

TEST_F(StoreTest, FailedWriteKeepsOldBytesAndNewTable) {
    DataFile file;
    file.Header(1).Item(2, L"Old", L"old text");
    Save(file);
    EXPECT_TRUE(Open());
    const auto before = Bytes();
    platform.files.failWriteOfRecord = {4};
    const MenuRecord loaded = session.Snippet(2);
    MenuRecord edited = loaded;
    edited.SetDescription(L"New");

    const auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    EXPECT_THROW(store->WriteItem(2, edited), Failure);
    EXPECT_TRUE(platform.dialogs.shown.empty());

    EXPECT_FALSE(session.SaveItem(2, edited));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(session.Snippet(2), loaded); // what failed to be written is not kept
}

// A write that fails part-way, as on a full disk, leaves no half record behind: the old bytes
// and the old length come back, inside the file and past its end alike.
TEST_F(StoreTest, WriteThatFailsPartWayIsTakenBack) {
    for (const int item : {2, 20}) {
        SCOPED_TRACE(item);
        DataFile file;
        file.Header(1).Item(1, L"One", L"one").Item(2, L"Two", L"two");
        Save(file);
        const auto before = Bytes();
        MenuSession fresh(platform.port);
        ASSERT_TRUE(Open(fresh));
        platform.files.tearWriteOfRecord = {RecordOfItem(item)};
        MenuRecord changed = fresh.Snippet(static_cast<std::size_t>(item));
        changed.SetDescription(L"Changed");
        changed.SetText(L"changed text");

        EXPECT_FALSE(fresh.SaveItem(item, changed));
        EXPECT_TRUE(platform.files.tearWriteOfRecord.empty()) << "the write was not attempted";
        EXPECT_EQ(Messages().back(), messages::kErrorSavingItem);
        EXPECT_EQ(Bytes(), before);
    }
}

// An empty file (a new user's answer to the welcome window is its first write): the write
// that fails part-way had nothing before it to put back, and the file is empty again.
TEST_F(StoreTest, FailedFirstWriteIntoAnEmptyFileLeavesItEmpty) {
    Save(DataFile{});
    MenuSession fresh(platform.port);
    ASSERT_TRUE(Open(fresh));
    platform.files.tearWriteOfRecord = {1};
    MenuRecord header;
    header.SetDescription(L"Header");

    platform.files.readRecords.clear();
    EXPECT_FALSE(fresh.SaveItem(kHeaderItemNumber, header));
    EXPECT_TRUE(platform.files.tearWriteOfRecord.empty()) << "the write was not attempted";
    EXPECT_TRUE(Bytes().empty());
    // Record 1 read before the write and again to take it back; a read of nothing reads none.
    EXPECT_LE(platform.files.readRecords.size(), 2u);
}

// The file's place changed under the open store (another program deleted the file, moved it
// away or put another in its place): a write would go into a file nobody will read again, so
// none is made, nothing is created and the other file is left as it is.
TEST_F(StoreTest, FileDeletedMovedOrReplacedSinceOpeningIsNotWritten) {
    const std::filesystem::path elsewhere = platform.dir.path() / "elsewhere.dat";
    const std::filesystem::path menuFile = platform.MenuFile();
    struct Case {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"deleted", [&] { std::filesystem::remove(menuFile); }},
        {"moved away", [&] { std::filesystem::rename(menuFile, elsewhere); }},
        {"replaced",
         [&] {
             WriteBytes(elsewhere, DataFile{}.Header(1).Item(2, L"Theirs", L"their text").bytes);
             std::filesystem::rename(elsewhere, menuFile);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataFile file;
        file.Header(1).Item(2, L"Mine", L"my text");
        Save(file);
        MenuSession fresh(platform.port);
        ASSERT_TRUE(Open(fresh));
        c.change();
        const auto menuFileBefore = ReadBytes(menuFile);
        const auto elsewhereBefore = ReadBytes(elsewhere);
        platform.dialogs.shown.clear();

        MenuRecord edited = fresh.Snippet(2);
        edited.SetDescription(L"Edited");
        EXPECT_FALSE(fresh.SaveItem(2, edited));
        EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
        EXPECT_EQ(ReadBytes(menuFile), menuFileBefore);
        EXPECT_EQ(ReadBytes(elsewhere), elsewhereBefore);
        EXPECT_EQ(std::filesystem::exists(menuFile), std::string(c.name) == "replaced");
        std::filesystem::remove(elsewhere);
    }
}

// Another program rewrote the file in place while the menu was open. A record it changed is
// not written over from the menu's older view, not even as the second half of a move; a
// record it left alone is written as usual.
TEST_F(StoreTest, RecordThatAnotherProgramChangedIsNotWrittenOver) {
    DataFile file;
    file.Header(1).Item(1, L"One", L"one").Item(2, L"Two", L"two").Item(3, L"Three", L"three");
    Save(file);
    const auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    const std::vector<MenuRecord> loaded = store->ReadItems(1, 20);
    DataFile theirs = file;
    theirs.Item(2, L"Theirs", L"their text");
    Save(theirs); // truncated and written again: the same file, new contents

    MenuRecord first = loaded[0];
    first.SetDescription(L"One, edited");
    EXPECT_EQ(store->WriteItem(1, first), WriteOutcome::Written);
    theirs.Item(1, L"One, edited", L"one");
    EXPECT_EQ(Bytes(), theirs.bytes);

    MenuRecord second = loaded[1];
    second.SetDescription(L"Two, edited");
    EXPECT_EQ(store->WriteItem(2, second), WriteOutcome::ChangedElsewhere);
    EXPECT_EQ(store->WriteItemPair(3, loaded[1], loaded[2], 2, loaded[2]),
              WriteOutcome::ChangedElsewhere); // Move Up of 3
    EXPECT_EQ(Bytes(), theirs.bytes);

    // The same change made in both places (two welcome windows given the same answer, say) is
    // no conflict: the record already holds it.
    MenuRecord same = loaded[1];
    same.SetDescription(L"Theirs");
    same.SetText(L"their text");
    EXPECT_EQ(store->WriteItem(2, same), WriteOutcome::Written);
    EXPECT_EQ(Bytes(), theirs.bytes);

    EXPECT_TRUE(Open()); // a request that reads the file anew may write it
    MenuRecord edited = session.Snippet(2);
    edited.SetDescription(L"Two, edited");
    EXPECT_TRUE(session.SaveItem(2, edited));
    EXPECT_TRUE(platform.dialogs.shown.empty());
}

TEST_F(StoreTest, WriteAfterTheFileWasClosedFailsVisibly) {
    Save(DataFile{}.Header(1));
    EXPECT_TRUE(Open());
    session.CloseMenuFile();
    EXPECT_EQ(platform.files.openFiles, 0);
    const auto before = Bytes();
    EXPECT_FALSE(session.SaveItem(1, MenuRecord{}));
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
}

// Two requests on one thread (one inside the other's nested loop, say) each own their file:
// closing one leaves the other's open and working.
TEST_F(StoreTest, EachSessionHasItsOwnOpenFile) {
    DataFile file;
    file.Header(1).Item(1, L"First", L"one");
    Save(file);
    MenuSession second(platform.port);
    EXPECT_TRUE(Open());
    EXPECT_TRUE(Open(second));
    EXPECT_EQ(platform.files.openFiles, 2);

    session.CloseMenuFile();
    EXPECT_EQ(platform.files.openFiles, 1); // the second's
    MenuRecord record = second.Snippet(1);
    record.SetDescription(L"From the second");
    EXPECT_TRUE(second.SaveItem(1, record));
    EXPECT_EQ(second.ReadRecord(RecordOfItem(1)), record);

    EXPECT_TRUE(Open()); // and the first opens again beside it
    EXPECT_EQ(platform.files.openFiles, 2);
    EXPECT_EQ(TrimSpaces(session.Snippet(1).Description), L"From the second");
    EXPECT_TRUE(platform.dialogs.shown.empty());
}

TEST_F(StoreTest, TwoThreadsHaveTheFileOpenAtOnce) {
    DataFile file;
    file.Header(1).Item(1, L"Shared", L"one");
    Save(file);
    EXPECT_TRUE(Open());
    std::wstring otherThreadSaw;
    std::thread other([&] {
        MenuSession theirs(platform.port);
        theirs.OpenMenuFile(L"00000");
        otherThreadSaw = TrimSpaces(theirs.Snippet(1).Description);
        MenuRecord record = theirs.Snippet(1);
        record.SetDescription(L"From the other thread");
        theirs.SaveItem(1, record);
        theirs.CloseMenuFile();
    });
    other.join();
    EXPECT_EQ(otherThreadSaw, L"Shared");
    EXPECT_TRUE(platform.dialogs.shown.empty());
    // This session's table is its own until it opens the file again.
    EXPECT_EQ(TrimSpaces(session.Snippet(1).Description), L"Shared");
    EXPECT_EQ(TrimSpaces(session.ReadRecord(3)->Description), L"From the other thread");
}

} // namespace
} // namespace quillery
