#include "session/MenuSession.h"

#include "store/MenuDataFile.h"
#include "texts/Messages.h"

namespace quillery {
const MenuRecord& MenuSession::Snippet(int item) const {
    static const MenuRecord kEmpty;
    return IsStoredItem(item) ? snippets_[static_cast<std::size_t>(item)] : kEmpty;
}

void MenuSession::Keep(int item, const MenuRecord& record) {
    if (IsStoredItem(item)) {
        snippets_[static_cast<std::size_t>(item)] = record;
    }
}

void MenuSession::ReportFatal(const wchar_t* message) {
    errors_.Report(message, /*fatal=*/true);
    CloseMenuFile(); // the menu's unload has closed it already when the menu was open
}

bool MenuSession::OpenMenuFile(const std::wstring& machineId) {
    store_ = MenuStore::Open(*platform_.files, *platform_.ansi, MenuFilePath(*platform_.system));
    if (!store_) {
        ReportFatal(messages::kErrorOpeningDataFile);
        return false;
    }
    const std::optional<MenuRecord> header = store_->Read(kHeaderRecord);
    if (!header) {
        ReportFatal(messages::kErrorRetrievingItem);
        return false;
    }
    addresses_ = ComposeSiteAddresses(header->Text, machineId);
    // The items in one read: each read is a call into the system.
    std::optional<std::vector<MenuRecord>> items = store_->ReadItems(kFirstItem, kLastItem);
    if (!items) {
        ReportFatal(messages::kErrorRetrievingItem);
        return false;
    }
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        snippets_[static_cast<std::size_t>(item)] = std::move((*items)[item - kFirstItem]);
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

bool MenuSession::SaveItem(int itemNumber, const MenuRecord& record, OnFailedSave onFailed) {
    const WriteOutcome outcome =
        store_ ? store_->WriteItem(itemNumber, record) : WriteOutcome::Failed;
    if (outcome != WriteOutcome::Written) {
        ReportUnsaved(outcome, {itemNumber}, onFailed);
        return false;
    }
    Keep(itemNumber, record);
    return true;
}

bool MenuSession::SaveItemPair(int firstItem, const MenuRecord& first,
                               const MenuRecord& firstBefore, int secondItem,
                               const MenuRecord& second) {
    const WriteOutcome outcome =
        store_ ? store_->WriteItemPair(firstItem, first, firstBefore, secondItem, second)
               : WriteOutcome::Failed;
    if (outcome != WriteOutcome::Written) {
        ReportUnsaved(outcome, {firstItem, secondItem}, OnFailedSave::CloseAll);
        return false;
    }
    Keep(firstItem, first);
    Keep(secondItem, second);
    return true;
}

void MenuSession::ReportUnsaved(WriteOutcome outcome, std::initializer_list<int> items,
                                OnFailedSave onFailed) {
    if (outcome != WriteOutcome::ChangedElsewhere) {
        if (onFailed == OnFailedSave::KeepOpen) {
            // The fatal report's box, but the windows stay: the store still holds what it last
            // saw in the record, so the same write can be tried again.
            ShowErrorBox(*platform_.dialogs, messages::kErrorSavingItem, /*fatal=*/true);
        } else {
            ReportFatal(messages::kErrorSavingItem);
        }
        return;
    }
    bool shown = false;
    for (const int item : items) {
        if (!IsStoredItem(item)) {
            continue;
        }
        const std::optional<MenuRecord> now = ReadRecord(RecordOfItem(item));
        if (!now) {
            return; // reported as fatal
        }
        Keep(item, *now);
        shown = true;
    }
    if (shown) {
        errors_.Report(messages::kChangedElsewhere, /*fatal=*/false);
    }
}

} // namespace quillery
