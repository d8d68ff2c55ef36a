#include "store/MenuStore.h"

#include "store/MenuDataFile.h"

#include "base/Attempt.h"

namespace quillery {

std::wstring MenuFilePath(SystemInfo& system) {
    return system.ComponentDirectory() + L"\\" + kMenuFileName;
}

std::unique_ptr<MenuStore> MenuStore::Open(FileSystem& files, const AnsiCodec& ansi,
                                           const std::wstring& path) noexcept {
    std::unique_ptr<MenuStore> store;
    Attempt([&] {
        if (!files.Exists(path)) {
            return;
        }
        auto file = files.Open(path, FileAccess::ReadWrite);
        if (!file) {
            file = files.Open(path, FileAccess::ReadOnly);
        }
        if (file) {
            store = std::make_unique<MenuStore>(std::move(file), ansi);
        }
    });
    return store;
}

std::optional<MenuRecord> MenuStore::Read(int recordNumber) noexcept {
    std::optional<MenuRecord> record;
    Attempt([&] {
        const std::optional<RecordBytes> bytes =
            MenuDataFile(*file_, ansi_).ReadBytes(recordNumber);
        if (bytes) {
            seen_[recordNumber] = *bytes;
            record = DecodeRecord(*bytes, ansi_);
        }
    });
    return record;
}

std::optional<std::vector<MenuRecord>> MenuStore::ReadItems(int first, int last) noexcept {
    std::optional<std::vector<MenuRecord>> items;
    Attempt([&] {
        const int firstRecord = RecordOfItem(first);
        const std::optional<std::vector<RecordBytes>> range =
            MenuDataFile(*file_, ansi_).ReadRangeBytes(firstRecord, last - first + 1);
        if (!range) {
            return;
        }
        std::vector<MenuRecord> decoded;
        decoded.reserve(range->size());
        for (std::size_t i = 0; i < range->size(); ++i) {
            seen_[firstRecord + static_cast<int>(i)] = (*range)[i];
            decoded.push_back(DecodeRecord((*range)[i], ansi_));
        }
        items = std::move(decoded);
    });
    return items;
}

WriteOutcome MenuStore::WriteItem(int itemNumber, const MenuRecord& record) noexcept {
    WriteOutcome outcome = WriteOutcome::Failed;
    Attempt([&] {
        if (!file_->IsStillAtItsPath()) {
            return;
        }
        const int recordNumber = RecordOfItem(itemNumber);
        const RecordBytes bytes = EncodeRecord(record, ansi_);
        MenuDataFile data(*file_, ansi_);
        const auto seen = seen_.find(recordNumber);
        if (seen == seen_.end()) {
            outcome =
                data.WriteBytes(recordNumber, bytes) ? WriteOutcome::Written : WriteOutcome::Failed;
        } else {
            outcome = data.WriteBytesIfUnchanged(recordNumber, seen->second, bytes);
        }
        if (outcome == WriteOutcome::Written) {
            seen_[recordNumber] = bytes;
        }
    });
    return outcome;
}

WriteOutcome MenuStore::WriteItemPair(int firstItem, const MenuRecord& first,
                                      const MenuRecord& firstBefore, int secondItem,
                                      const MenuRecord& second) noexcept {
    const WriteOutcome firstOutcome = WriteItem(firstItem, first);
    if (firstOutcome != WriteOutcome::Written) {
        return firstOutcome;
    }
    const WriteOutcome secondOutcome = WriteItem(secondItem, second);
    if (secondOutcome == WriteOutcome::Written) {
        return secondOutcome;
    }
    // One attempt; when it fails too, the first item's new bytes stay: a failure either way.
    const bool putBack = WriteItem(firstItem, firstBefore) == WriteOutcome::Written;
    return putBack ? secondOutcome : WriteOutcome::Failed;
}

} // namespace quillery
