#pragma once

#include "platform/AnsiCodec.h"
#include "platform/FileSystem.h"
#include "platform/RecordFile.h"
#include "platform/SystemInfo.h"
#include "record/MenuRecord.h"
#include "store/MenuDataFile.h"
#include "store/RecordCodec.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillery {

inline constexpr const wchar_t* kMenuFileName = L"Menu.dat";

// The data file's path: beside the component's own file. Throws when the system cannot say
// where that file is.
std::wstring MenuFilePath(SystemInfo& system);

// The open data file: fixed records read and written by number. It answers with results and
// tells nobody of a failure; its callers decide what the user sees. Closing is destruction.
//
// A write goes only into the file that was opened and only over what this store last saw
// there: it fails, writing nothing, once another program has deleted, moved or replaced the
// file, or has changed the record since this store read or wrote it. A view of the file that
// has gone stale so never writes into nowhere nor over another program's change.
class MenuStore {
public:
    // Opens an existing data file for reading and writing or, when it cannot be written, for
    // reading only: the menu then works and every write fails. Nothing when the file is
    // missing or cannot be opened at all; the store never creates the data file.
    static std::unique_ptr<MenuStore> Open(FileSystem& files, const AnsiCodec& ansi,
                                           const std::wstring& path) noexcept;

    MenuStore(std::unique_ptr<RecordFile> file, const AnsiCodec& ansi)
        : file_(std::move(file)), ansi_(ansi) {}

    // Record `recordNumber` (1 = header, i + 2 = item i); nothing when the read fails. A record
    // beyond the end of the file reads as zero bytes.
    std::optional<MenuRecord> Read(int recordNumber) noexcept;

    // Items `first` to `last`, in one read of the file; nothing when the read fails.
    std::optional<std::vector<MenuRecord>> ReadItems(int first, int last) noexcept;

    // Writes `record` as item `itemNumber` (record itemNumber + 2; -1 writes the header), whole
    // or not at all.
    WriteOutcome WriteItem(int itemNumber, const MenuRecord& record) noexcept;

    // Writes two items as one change (a swap of two snippets). When the first write fails the
    // second is not attempted; when the second fails, the first item is put back with one
    // attempt, so that no snippet is left in both records. Written when both were written;
    // ChangedElsewhere when another program's change refused one and the file is as it was.
    WriteOutcome WriteItemPair(int firstItem, const MenuRecord& first,
                               const MenuRecord& firstBefore, int secondItem,
                               const MenuRecord& second) noexcept;

private:
    std::unique_ptr<RecordFile> file_;
    const AnsiCodec& ansi_;
    std::map<int, RecordBytes> seen_; // each record as this store last read or wrote it
};

} // namespace quillery
