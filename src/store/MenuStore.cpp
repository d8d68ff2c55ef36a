#include "store/MenuStore.h"

#include "store/MenuDataFile.h"

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
        return nullptr;
    }
    return std::make_unique<MenuStore>(std::move(file), ansi);
}

std::optional<MenuRecord> MenuStore::Read(int recordNumber) noexcept {
    try {
        const std::optional<RecordBytes> bytes =
            MenuDataFile(*file_, ansi_).ReadBytes(recordNumber);
        if (!bytes) {
            return std::nullopt;
        }
        seen_[recordNumber] = *bytes;
        return DecodeRecord(*bytes, ansi_);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<MenuRecord>> MenuStore::ReadItems(int first, int last) noexcept {
    try {
        const int firstRecord = RecordOfItem(first);
        const std::optional<std::vector<RecordBytes>> range =
            MenuDataFile(*file_, ansi_).ReadRangeBytes(firstRecord, last - first + 1);
        if (!range) {
            return std::nullopt;
        }
        std::vector<MenuRecord> items;
        items.reserve(range->size());
        for (std::size_t i = 0; i < range->size(); ++i) {
            seen_[firstRecord + static_cast<int>(i)] = (*range)[i];
            items.push_back(DecodeRecord((*range)[i], ansi_));
        }
        return items;
    } catch (...) {
        return std::nullopt;
    }
}

bool MenuStore::WriteItem(int itemNumber, const MenuRecord& record) noexcept {
    try {
        if (!file_->IsStillAtItsPath()) {
            return false;
        }
        const int recordNumber = RecordOfItem(itemNumber);
        const RecordBytes bytes = EncodeRecord(record, ansi_);
        MenuDataFile data(*file_, ansi_);
        const auto seen = seen_.find(recordNumber);
        const bool written = seen == seen_.end()
                                 ? data.WriteBytes(recordNumber, bytes)
                                 : data.WriteBytesIfUnchanged(recordNumber, seen->second, bytes);
        if (written) {
            seen_[recordNumber] = bytes;
        }
        return written;
    } catch (...) {
        return false;
    }
}

bool MenuStore::WriteItemPair(int firstItem, const MenuRecord& first, const MenuRecord& firstBefore,
                              int secondItem, const MenuRecord& second) noexcept {
    if (!WriteItem(firstItem, first)) {
        return false;
    }
    if (!WriteItem(secondItem, second)) {
        WriteItem(firstItem, firstBefore); // one attempt; the failure stands either way
        return false;
    }
    return true;
}

} // namespace quillery
