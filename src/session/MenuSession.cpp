#include "session/MenuSession.h"

#include "record/Messages.h"
#include "store/MenuDataFile.h"

namespace quillery {

void MenuSession::ReportFatal(const wchar_t* message) {
    errors.Report(message, /*fatal=*/true);
    CloseMenuFile(); // the menu's unload has closed it already when the menu was open
}

bool MenuSession::OpenMenuFile() {
    try {
        store_ = MenuStore::Open(*platform.files, *platform.ansi, MenuFilePath(*platform.system));
    } catch (...) {
        store_.reset();
    }
    if (!store_) {
        ReportFatal(messages::kErrorOpeningDataFile);
        return false;
    }
    const std::optional<MenuRecord> header = store_->Read(kHeaderRecord);
    if (!header) {
        ReportFatal(messages::kErrorRetrievingItem);
        return false;
    }
    try {
        addresses = ComposeSiteAddresses(header->Text, machineId);
    } catch (...) {
        ReportFatal(messages::kErrorOpeningDataFile);
        return false;
    }
    // The items in one read: each read is a call into the system.
    std::optional<std::vector<MenuRecord>> items = store_->ReadItems(kFirstItem, kLastItem);
    if (!items) {
        ReportFatal(messages::kErrorRetrievingItem);
        return false;
    }
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        snippets[static_cast<std::size_t>(item)] = std::move((*items)[item - kFirstItem]);
    }
    return true;
}

std::optional<MenuRecord> MenuSession::ReadRecord(int recordNumber) {
    std::optional<MenuRecord> record;
    if (store_) {
        record = store_->Read(recordNumber);
    }
    if (!record) {
        ReportFatal(messages::kErrorRetrievingItem);
    }
    return record;
}

bool MenuSession::SaveItem(int itemNumber, const MenuRecord& record) {
    if (store_ && store_->WriteItem(itemNumber, record)) {
        return true;
    }
    ReportFatal(messages::kErrorSavingItem);
    return false;
}

bool MenuSession::SaveItemPair(int firstItem, const MenuRecord& first,
                               const MenuRecord& firstBefore, int secondItem,
                               const MenuRecord& second) {
    if (store_ && store_->WriteItemPair(firstItem, first, firstBefore, secondItem, second)) {
        return true;
    }
    ReportFatal(messages::kErrorSavingItem);
    return false;
}

} // namespace quillery
