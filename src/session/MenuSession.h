#pragma once

#include "forms/ErrorReporter.h"
#include "forms/RequestWindows.h"
#include "platform/Platform.h"
#include "record/MenuRecord.h"
#include "store/MenuStore.h"
#include "store/SiteAddresses.h"

#include <memory>
#include <optional>
#include <string>

namespace quillery {

// What the windows of one menu request share: the platform, the open data file and the
// snippets loaded from it, the item the commands act on, and the text the request returns.
// The request creates it; each window is handed it when it is created. The data-file methods
// report their failures as fatal, which closes the request's windows.
class MenuSession {
public:
    explicit MenuSession(Platform& system) : platform(system), errors(*system.dialogs, windows) {}
    MenuSession(const MenuSession&) = delete;
    MenuSession& operator=(const MenuSession&) = delete;

    Platform& platform;
    RequestWindows windows;
    ErrorReporter errors;

    std::wstring machineId;
    SiteAddresses addresses;
    SnippetTable snippets{}; // items 1 to 20 as loaded, and as changed since
    int currentItem = 0;     // the item the commands act on; 0 for none, or a new item
    std::wstring chosenText; // what the request returns: the chosen snippet, or empty

    // Opens the data file, composes the site addresses from its header and loads items 1 to
    // 20. A file that cannot be opened reports "Error opening data file", a record that cannot
    // be read "Error retrieving menu item"; loading stops at the first failure, and the file
    // is closed. False after a failure.
    bool OpenMenuFile();
    void CloseMenuFile() noexcept { store_.reset(); }
    bool IsMenuFileOpen() const { return store_ != nullptr; }

    // Reads record `recordNumber` (1 = header, i + 2 = item i); a failure, or no open file,
    // reports "Error retrieving menu item" and gives nothing.
    std::optional<MenuRecord> ReadRecord(int recordNumber);

    // Writes item `itemNumber` (-1: the header); a failure, or no open file, reports "Error
    // saving menu item". True when written.
    bool SaveItem(int itemNumber, const MenuRecord& record);

    // Writes two items as one change, as MenuStore::WriteItemPair, and reports a failure once.
    bool SaveItemPair(int firstItem, const MenuRecord& first, const MenuRecord& firstBefore,
                      int secondItem, const MenuRecord& second);

private:
    void ReportFatal(const wchar_t* message);

    std::unique_ptr<MenuStore> store_;
};

} // namespace quillery
