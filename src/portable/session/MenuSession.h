#pragma once

#include "forms/ErrorReporter.h"
#include "forms/RequestWindows.h"
#include "platform/Platform.h"
#include "record/MenuRecord.h"
#include "store/MenuStore.h"
#include "store/SiteAddresses.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

namespace quillery {

// What a failed write does to the request: closes its windows (a fatal report), or leaves
// them open so that the user can try again. A write refused over another program's change
// leaves them open either way.
enum class OnFailedSave { CloseAll, KeepOpen };

// What the windows of one menu request share: the platform, the windows a fatal report closes,
// the open data file and the snippets loaded from it. The request creates it on its stack and
// hands it by reference to each window it makes. The data-file methods report their failures
// as fatal, which closes the request's windows.
class MenuSession {
public:
    explicit MenuSession(Platform& system)
        : platform_(system), errors_(*system.dialogs, windows_) {}
    MenuSession(const MenuSession&) = delete;
    MenuSession& operator=(const MenuSession&) = delete;

    Platform& System() const { return platform_; }
    RequestWindows& Windows() { return windows_; }
    ErrorReporter& Errors() { return errors_; }
    const SiteAddresses& Addresses() const { return addresses_; }

    // Item `item` (1 to 20) as loaded, and as changed since; any other number reads as an
    // empty record.
    const MenuRecord& Snippet(int item) const;

    // Opens the data file, composes the site addresses from its header and this machine's
    // identifier, and loads items 1 to 20. A file that cannot be opened reports "Error opening
    // data file", a record that cannot be read "Error retrieving menu item"; loading stops at
    // the first failure, and the file is closed. False after a failure.
    bool OpenMenuFile(const std::wstring& machineId);
    void CloseMenuFile() noexcept { store_.reset(); }

    // Reads record `recordNumber` (1 = header, i + 2 = item i); a failure, or no open file,
    // reports "Error retrieving menu item" and gives nothing.
    std::optional<MenuRecord> ReadRecord(int recordNumber);

    // Writes item `itemNumber` (-1: the header) and keeps it as the loaded item. True when
    // written. A write refused because another program changed the record since it was read
    // keeps the request open: the item is loaded again as it now is and the user is told (not
    // for the header, which no line shows). Any other failure, or no open file, reports
    // "Error saving menu item" in the stop box, as fatal unless `onFailed` keeps the windows
    // open.
    bool SaveItem(int itemNumber, const MenuRecord& record,
                  OnFailedSave onFailed = OnFailedSave::CloseAll);

    // Writes two items as one change, as MenuStore::WriteItemPair, keeps both, and reports a
    // failure once, as SaveItem does.
    bool SaveItemPair(int firstItem, const MenuRecord& first, const MenuRecord& firstBefore,
                      int secondItem, const MenuRecord& second);

private:
    void ReportUnsaved(WriteOutcome outcome, std::initializer_list<int> items,
                       OnFailedSave onFailed);
    void ReportFatal(const wchar_t* message);
    void Keep(int item, const MenuRecord& record);

    Platform& platform_;
    RequestWindows windows_;
    ErrorReporter errors_;
    SiteAddresses addresses_;
    SnippetTable snippets_{}; // items 1 to 20 by item number; the other slots stay empty
    std::unique_ptr<MenuStore> store_;
};

} // namespace quillery
