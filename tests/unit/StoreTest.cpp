#include "shared/Messages.h"
#include "shared/ThreadContext.h"
#include "store/MenuDataFile.h"
#include "store/MenuFile.h"
#include "support/DataFile.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace quillery {
namespace {

using testing::FakePlatform;
using testing::ReadBytes;
using testing::RecordBytesOf;
using testing::WriteBytes;

using testing::DataFile;
constexpr const wchar_t* kBase = testing::kBaseAddress;

class StoreTest : public ::testing::Test {
protected:
    Module1& module() { return CurrentThread().module; }
    void Save(const DataFile& file) { WriteBytes(platform.MenuFile(), file.bytes); }
    std::vector<std::uint8_t> Bytes() { return ReadBytes(platform.MenuFile()); }
    std::vector<std::wstring> Messages() {
        std::vector<std::wstring> texts;
        for (const auto& shown : platform.dialogs.shown) {
            texts.push_back(shown.text);
        }
        return texts;
    }
    void Open() {
        module().MachineId = L"30544";
        OpenMenuFile();
    }

    FakePlatform platform;
};

// A window that closes the data file when a fatal report closes it, as the pop-up does.
class FileClosingWindow final : public ClosableWindow {
public:
    bool IsOpen() const override { return open; }
    void Close() override {
        open = false;
        CloseMenuFile();
    }
    bool open = true;
};

TEST_F(StoreTest, OpensHeaderAndAllItems) {
    DataFile file;
    file.Header(1).Item(1, L"Name", L"Ada Lovelace").Item(20, L"Last", L"  twenty  ");
    Save(file);
    Open();

    EXPECT_TRUE(platform.dialogs.shown.empty());
    EXPECT_TRUE(IsMenuFileOpen());
    EXPECT_EQ(module().SiteAddress, std::wstring(kBase) + L"?fact=30544");
    EXPECT_EQ(module().HelpAddress, std::wstring(kBase) + L"?fact=30544&ref=help");
    EXPECT_EQ(module().LinksAddress, std::wstring(kBase) + L"?fact=30544&ref=links");
    EXPECT_EQ(TrimSpaces(module().MenuItems[1].Text), L"Ada Lovelace");
    EXPECT_EQ(TrimSpaces(module().MenuItems[20].Description), L"Last");
    for (int item = 2; item <= 19; ++item) {
        EXPECT_TRUE(module().MenuItems[item].IsEmptyItem()) << item;
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
        ReleaseCurrentThread();
        DataFile file;
        for (int record = 1; record <= c.records; ++record) {
            file.Record(record, L"Item " + std::to_wstring(record), L"text", 0);
        }
        if (c.records >= 2) {
            file.Record(2, L"Never shown", L"record two", 0);
        }
        Save(file);
        Open();
        EXPECT_TRUE(platform.dialogs.shown.empty());
        for (int item = 1; item <= 20; ++item) {
            const MenuRecord& slot = module().MenuItems[item];
            if (item <= c.lastFilledItem) {
                EXPECT_EQ(TrimSpaces(slot.Description), L"Item " + std::to_wstring(item + 2));
            } else {
                EXPECT_EQ(slot, MenuRecord{}) << "item " << item;
            }
        }
        EXPECT_EQ(module().MenuItems[0], MenuRecord{});
        EXPECT_EQ(module().MenuItems[21], MenuRecord{}); // record 23 is never loaded
        CloseMenuFile();
    }
}

TEST_F(StoreTest, EmptyFileGivesAllNulHeader) {
    Save(DataFile{});
    Open();
    const MenuRecord header = GetMenuRecord(1);
    EXPECT_EQ(header, MenuRecord{});
    EXPECT_EQ(module().SiteAddress, std::wstring(200, L'\0') + L"?fact=30544");
    EXPECT_TRUE(Bytes().empty()); // reading never grows the file
}

TEST_F(StoreTest, WritesAtTheRecordOfTheItemNumber) {
    struct Case {
        std::int16_t item;
        std::size_t offset;
    } cases[] = {{-1, 0}, {1, 464}, {3, 928}, {20, 4872}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        ReleaseCurrentThread();
        Save(DataFile{}.Header(1));
        Open();
        MenuRecord record;
        record.SetDescription(L"Written");
        record.SetText(L"at " + std::to_wstring(c.offset));
        record.Flag = 7;
        const std::int16_t item = c.item;
        EXPECT_TRUE(PutMenuRecord(item, record));
        EXPECT_EQ(item, c.item);

        const auto bytes = Bytes();
        ASSERT_GE(bytes.size(), c.offset + 232);
        const auto expected = RecordBytesOf(L"Written", L"at " + std::to_wstring(c.offset), 7);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + c.offset));
        // What PutMenuRecord(i) wrote, GetMenuRecord(i + 2) reads back.
        EXPECT_EQ(GetMenuRecord(static_cast<std::int16_t>(RecordOfItem(c.item))), record);
        CloseMenuFile();
    }
    // Item 20 into a one-record file: the gap reads as zero bytes, the file is 5104 bytes.
    EXPECT_EQ(Bytes().size(), 4872u + 232u);
}

TEST_F(StoreTest, MissingFileIsReportedAndNeverCreated) {
    module().SiteAddress = L"earlier site";
    module().MenuItems[3].SetDescription(L"earlier item");
    Open();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorOpeningDataFile});
    EXPECT_EQ(platform.dialogs.shown[0].title, L"Quillery");
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u);
    EXPECT_FALSE(std::filesystem::exists(platform.MenuFile()));
    EXPECT_FALSE(IsMenuFileOpen());
    EXPECT_EQ(module().SiteAddress, L"earlier site");
    EXPECT_EQ(TrimSpaces(module().MenuItems[3].Description), L"earlier item");
}

TEST_F(StoreTest, FileThatCannotBeOpenedIsReported) {
    Save(DataFile{}.Header(1));
    platform.files.refuseOpen = true;
    Open();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorOpeningDataFile});
    EXPECT_FALSE(IsMenuFileOpen());
}

TEST_F(StoreTest, ReadOnlyFileOpensAndEveryWriteFails) {
    DataFile file;
    file.Header(1).Item(1, L"Kept", L"kept text");
    Save(file);
    const auto before = Bytes();
    platform.files.refuseReadWrite = true;
    Open();
    EXPECT_TRUE(platform.dialogs.shown.empty());
    EXPECT_EQ(TrimSpaces(module().MenuItems[1].Description), L"Kept");

    MenuRecord changed = module().MenuItems[1];
    changed.SetDescription(L"Changed");
    EXPECT_FALSE(PutMenuRecord(1, changed));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(Bytes(), before);
}

TEST_F(StoreTest, FailedReadReportsAndLoadingGoesOn) {
    DataFile file;
    file.Header(1);
    for (int item = 1; item <= 20; ++item) {
        file.Item(item, L"Item " + std::to_wstring(item), L"text");
    }
    Save(file);
    platform.files.failReadOfRecord = {5, 9};
    Open();
    // No window is open, so each failure is reported and the item taken as empty.
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{messages::kErrorRetrievingItem,
                                                     messages::kErrorRetrievingItem}));
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u);
    EXPECT_TRUE(module().MenuItems[3].IsEmptyItem());
    EXPECT_TRUE(module().MenuItems[7].IsEmptyItem());
    EXPECT_EQ(TrimSpaces(module().MenuItems[20].Description), L"Item 20");
}

TEST_F(StoreTest, LoadingStopsOnceAFatalReportHasClosedTheFile) {
    DataFile file;
    file.Header(1);
    for (int item = 1; item <= 20; ++item) {
        file.Item(item, L"Item " + std::to_wstring(item), L"text");
    }
    Save(file);
    FileClosingWindow popup;
    CurrentThread().RegisterWindow(FatalCloseSlot::Select, &popup);
    platform.files.failReadOfRecord = {5, 6, 7, 8};
    Open();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_FALSE(popup.open);
    EXPECT_EQ(platform.files.readRecords, (std::vector<int>{1, 3, 4, 5}));
    EXPECT_TRUE(module().MenuItems[4].IsEmptyItem()); // never loaded
}

TEST_F(StoreTest, FailedHeaderReadIsDistinguishableAndWritesNothing) {
    Save(DataFile{}.Header(0));
    const auto before = Bytes();
    platform.files.failReadOfRecord = {1};
    Open();
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorRetrievingItem});
    EXPECT_FALSE(TryGetMenuRecord(1).has_value());
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(platform.files.writtenRecords.empty());
}

TEST_F(StoreTest, FailedWriteKeepsOldBytesAndNewTable) {
    DataFile file;
    file.Header(1).Item(2, L"Old", L"old text");
    Save(file);
    Open();
    const auto before = Bytes();
    platform.files.failWriteOfRecord = {4};
    module().MenuItems[2].SetDescription(L"New");
    EXPECT_FALSE(PutMenuRecord(2, module().MenuItems[2]));
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
    EXPECT_EQ(platform.dialogs.shown[0].style, 16u);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(TrimSpaces(module().MenuItems[2].Description), L"New");
}

TEST_F(StoreTest, WriteAfterTheFileWasClosedFailsVisibly) {
    Save(DataFile{}.Header(1));
    Open();
    CloseMenuFile();
    const auto before = Bytes();
    EXPECT_FALSE(PutMenuRecord(1, MenuRecord{}));
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(Messages(), std::vector<std::wstring>{messages::kErrorSavingItem});
}

TEST_F(StoreTest, EachOpeningTakesAFreeFileNumber) {
    Save(DataFile{}.Header(1));
    Open();
    const std::int16_t first = module().MenuFileNumber;
    EXPECT_GE(first, 1);
    Open(); // a second opening while the first is still open gets its own number
    EXPECT_NE(module().MenuFileNumber, first);
    CloseMenuFile();
    EXPECT_NE(CurrentThread().File(first), nullptr);
    CurrentThread().CloseFile(first);
    Open();
    EXPECT_EQ(module().MenuFileNumber, first);
}

TEST_F(StoreTest, TwoThreadsHaveTheFileOpenAtOnce) {
    DataFile file;
    file.Header(1).Item(1, L"Shared", L"one");
    Save(file);
    Open();
    std::wstring otherThreadSaw;
    std::thread other([&] {
        CurrentThread().module.MachineId = L"00000";
        OpenMenuFile();
        otherThreadSaw = TrimSpaces(CurrentThread().module.MenuItems[1].Description);
        MenuRecord record = CurrentThread().module.MenuItems[1];
        record.SetDescription(L"From the other thread");
        PutMenuRecord(1, record);
        CloseMenuFile();
        ReleaseCurrentThread();
    });
    other.join();
    EXPECT_EQ(otherThreadSaw, L"Shared");
    EXPECT_TRUE(platform.dialogs.shown.empty());
    // This thread's table is its own until it opens the file again.
    EXPECT_EQ(TrimSpaces(module().MenuItems[1].Description), L"Shared");
    EXPECT_EQ(TrimSpaces(GetMenuRecord(3).Description), L"From the other thread");
}

} // namespace
} // namespace quillery
