#include "store/MenuFile.h"

#include "platform/Platform.h"
#include "shared/Messages.h"
#include "shared/ThreadContext.h"
#include "shell/ReportError.h"
#include "store/MenuDataFile.h"
#include "store/SiteAddresses.h"

namespace quillery {
namespace {

RecordFile* OpenFile() {
    ThreadContext& thread = CurrentThread();
    return thread.File(thread.module.MenuFileNumber);
}

std::unique_ptr<RecordFile> OpenExisting(const std::wstring& path) {
    FileSystem& files = *CurrentPlatform().files;
    if (!files.Exists(path)) {
        return nullptr; // the store never creates the data file
    }
    if (auto file = files.Open(path, FileAccess::ReadWrite)) {
        return file;
    }
    return files.Open(path, FileAccess::ReadOnly);
}

} // namespace

std::wstring MenuFilePath() {
    return CurrentPlatform().system->ComponentDirectory() + L"\\" + kMenuFileName;
}

void OpenMenuFile() {
    ThreadContext& thread = CurrentThread();
    Module1& module = thread.module;
    try {
        const std::int16_t number = thread.FreeFileNumber();
        module.MenuFileNumber = number;
        auto file = OpenExisting(MenuFilePath());
        if (!file) {
            ReportError(messages::kErrorOpeningDataFile, true);
            return;
        }
        thread.AttachFile(number, std::move(file));

        const MenuRecord header = GetMenuRecord(kHeaderRecord);
        if (!IsMenuFileOpen()) {
            return; // a fatal report has closed the pop-up and the file with it
        }
        SiteAddresses addresses = ComposeSiteAddresses(header.Text, module.MachineId);
        module.SiteAddress = std::move(addresses.site);
        module.HelpAddress = std::move(addresses.help);
        module.LinksAddress = std::move(addresses.links);

        for (int item = Module1::kFirstItem; item <= Module1::kLastItem; ++item) {
            module.MenuItems[item] = GetMenuRecord(static_cast<std::int16_t>(RecordOfItem(item)));
            if (!IsMenuFileOpen()) {
                return;
            }
        }
    } catch (...) {
        ReportError(messages::kErrorOpeningDataFile, true);
    }
}

std::optional<MenuRecord> TryGetMenuRecord(std::int16_t recordNumber) {
    std::optional<MenuRecord> record;
    try {
        if (RecordFile* file = OpenFile()) {
            record = MenuDataFile(*file, *CurrentPlatform().ansi).Read(recordNumber);
        }
    } catch (...) {
        record.reset();
    }
    if (!record) {
        ReportError(messages::kErrorRetrievingItem, true);
    }
    return record;
}

MenuRecord GetMenuRecord(std::int16_t recordNumber) {
    return TryGetMenuRecord(recordNumber).value_or(MenuRecord{});
}

namespace {

// One write to the open data file; false when there is none or the write fails.
bool WriteItem(std::int16_t itemNumber, const MenuRecord& record) noexcept {
    try {
        if (RecordFile* file = OpenFile()) {
            return MenuDataFile(*file, *CurrentPlatform().ansi)
                .Write(RecordOfItem(itemNumber), record);
        }
    } catch (...) {
    }
    return false;
}

} // namespace

bool PutMenuRecord(std::int16_t itemNumber, const MenuRecord& record) {
    const bool written = WriteItem(itemNumber, record);
    if (!written) {
        ReportError(messages::kErrorSavingItem, true);
    }
    return written;
}

bool PutMenuRecordPair(std::int16_t firstItem, const MenuRecord& first,
                       const MenuRecord& firstBefore, std::int16_t secondItem,
                       const MenuRecord& second) {
    if (!WriteItem(firstItem, first)) {
        ReportError(messages::kErrorSavingItem, true);
        return false;
    }
    if (!WriteItem(secondItem, second)) {
        WriteItem(firstItem, firstBefore); // one attempt; the report follows either way
        ReportError(messages::kErrorSavingItem, true);
        return false;
    }
    return true;
}

void CloseMenuFile() noexcept {
    try {
        ThreadContext& thread = CurrentThread();
        thread.CloseFile(thread.module.MenuFileNumber);
    } catch (...) {
        // Closing ignores every error.
    }
}

bool IsMenuFileOpen() {
    return OpenFile() != nullptr;
}

} // namespace quillery
