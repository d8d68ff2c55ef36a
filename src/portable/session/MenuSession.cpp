#include "session/MenuSession.h"

#include "base/Attempt.h"
#include "messages/Messages.h"
#include "store/MenuDataFile.h"

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

// The store throws its failures on to here, where each becomes the fixed message that the
// request's step shows. A failure outside the store's calls (the data file's path, the site
// addresses) goes on up, to the menu's load.
bool MenuSession::OpenMenuFile(const std::wstring& machineId) {
    const std::wstring path = MenuFilePath(*platform_.system);
    const bool opened =
        Attempt([&] { store_ = MenuStore::Open(*platform_.files, *platform_.ansi, path); });
    if (!opened || !store_) {
        ReportFatal(messages::kErrorOpeningDataFile);
        return false;
    }
    MenuRecord header;
    if (!Attempt([&] { header = store_->Read(kHeaderRecord); })) {
        ReportFatal(messages::kErrorRetrievingItem);
        return false;
    }
    addresses_ = ComposeSiteAddresses(header.Text, machineId);
    // The items in one read: each read is a call into the system.
    std::vector<MenuRecord> items;
    if (!Attempt([&] { items = store_->ReadItems(kFirstItem, kLastItem); })) {
        ReportFatal(messages::kErrorRetrievingItem);
        return false;
    }
    for (int item = kFirstItem; item <= kLastItem; ++item) {
        snippets_[static_cast<std::size_t>(item)] = std::move(items[item - kFirstItem]);
    }
    return true;
}

std::optional<MenuRecord> MenuSession::ReadRecord(int recordNumber) {
    std::optional<MenuRecord> record;
    if (store_) {
        Attempt([&] { record = store_->Read(recordNumber); });
    }
    if (!record) {
        ReportFatal(messages::kErrorRetrievingItem);
    }
    return record;
}

bool MenuSession::SaveItem(int itemNumber, const MenuRecord& record, OnFailedSave onFailed) {
    WriteOutcome outcome = WriteOutcome::Failed; // when the write throws, or there is no file
    if (store_) {
        Attempt([&] { outcome = store_->WriteItem(itemNumber, record); });
    }
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
    WriteOutcome outcome = WriteOutcome::Failed;
    if (store_) {
        Attempt([&] {
            outcome = store_->WriteItemPair(firstItem, first, firstBefore, secondItem, second);
        });
    }
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
