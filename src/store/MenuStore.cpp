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
        return MenuDataFile(*file_, ansi_).Read(recordNumber);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::vector<MenuRecord>> MenuStore::ReadItems(int first, int last) noexcept {
    try {
        return MenuDataFile(*file_, ansi_).ReadRange(RecordOfItem(first), last - first + 1);
    } catch (...) {
        return std::nullopt;
    }
}

bool MenuStore::WriteItem(int itemNumber, const MenuRecord& record) noexcept {
    try {
        return MenuDataFile(*file_, ansi_).Write(RecordOfItem(itemNumber), record);
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
