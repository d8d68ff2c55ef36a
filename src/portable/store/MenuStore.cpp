#include "store/MenuStore.h"

#include "store/MenuDataFile.h"

#include "base/Attempt.h"
#include "base/Failure.h"
#include "base/ScopeExit.h"

namespace quillery {

std::wstring MenuFilePath(SystemInfo& system) {
    return system.ComponentDirectory() + L"\\" + kMenuFileName;
}

std::unique_ptr<MenuStore> MenuStore::Open(FileSystem& files, const AnsiCodec& ansi,
                                           const std::wstring& path) {
    if (!files.Exists(path)) {
        return nullptr;
    }
    auto file = files.Open(path, FileAccess::ReadWrite);
    if (!file) {
        file = files.Open(path, FileAccess::ReadOnly);
    }
    if (!file) {
        throw Failure("the data file cannot be opened");
    }
    return std::make_unique<MenuStore>(std::move(file), ansi);
}

MenuRecord MenuStore::Read(int recordNumber) {
    const std::optional<RecordBytes> bytes = MenuDataFile(*file_, ansi_).ReadBytes(recordNumber);
    if (!bytes) {
        throw Failure("a record of the data file cannot be read");
    }
    seen_[recordNumber] = *bytes;
    return DecodeRecord(*bytes, ansi_);
}

std::vector<MenuRecord> MenuStore::ReadItems(int first, int last) {
    const int firstRecord = RecordOfItem(first);
    const std::optional<std::vector<RecordBytes>> range =
        MenuDataFile(*file_, ansi_).ReadRangeBytes(firstRecord, last - first + 1);
    if (!range) {
        throw Failure("the records of the data file cannot be read");
    }
    std::vector<MenuRecord> decoded;
    decoded.reserve(range->size());
    for (std::size_t i = 0; i < range->size(); ++i) {
        seen_[firstRecord + static_cast<int>(i)] = (*range)[i];
        decoded.push_back(DecodeRecord((*range)[i], ansi_));
    }
    return decoded;
}

WriteOutcome MenuStore::WriteItem(int itemNumber, const MenuRecord& record) {
    if (!file_->IsStillAtItsPath()) {
        throw Failure("the data file is no longer at its path");
    }
    const int recordNumber = RecordOfItem(itemNumber);
    const RecordBytes bytes = EncodeRecord(record, ansi_);
    MenuDataFile data(*file_, ansi_);
    const auto seen = seen_.find(recordNumber);
    const WriteOutcome outcome =
        seen == seen_.end()
            ? (data.WriteBytes(recordNumber, bytes) ? WriteOutcome::Written : WriteOutcome::Failed)
            : data.WriteBytesIfUnchanged(recordNumber, seen->second, bytes);
    if (outcome == WriteOutcome::Failed) {
        throw Failure("a record of the data file cannot be written");
    }
    if (outcome == WriteOutcome::Written) {
        seen_[recordNumber] = bytes;
    }
    return outcome;
}

WriteOutcome MenuStore::WriteItemPair(int firstItem, const MenuRecord& first,
                                      const MenuRecord& firstBefore, int secondItem,
                                      const MenuRecord& second) {
    const WriteOutcome firstOutcome = WriteItem(firstItem, first);
    if (firstOutcome != WriteOutcome::Written) {
        return firstOutcome;
    }
    // One attempt to put the first item back; when that fails too, the first item's new bytes
    // stay: a failure either way.
    const auto putBack = [&] { return WriteItem(firstItem, firstBefore) == WriteOutcome::Written; };
    bool secondEnded = false;
    const ScopeExit afterFailure([&] {
        if (!secondEnded) {
            Attempt(putBack); // the second write's failure is the one that goes on
        }
    });
    const WriteOutcome secondOutcome = WriteItem(secondItem, second);
    secondEnded = true;
    if (secondOutcome == WriteOutcome::ChangedElsewhere && !putBack()) {
        throw Failure("a record of the data file cannot be put back");
    }
    return secondOutcome;
}

} // namespace quillery
