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
#include <string>
#include <vector>

namespace quillery {

inline constexpr const wchar_t* kMenuFileName = L"Menu.dat";

// The data file's path: beside the component's own file. Throws when the system cannot say
// where that file is.
std::wstring MenuFilePath(SystemInfo& system);

// The open data file: fixed records read and written by number. It tells nobody of a failure:
// a failure is thrown (a Failure, or bad_alloc), with its text and any system error, on to the
// caller that decides what the user sees. Closing is destruction.
//
// A write goes only into the file that was opened and only over what this store last saw
// there: it fails, writing nothing, once another program has deleted, moved or replaced the
// file, or has changed the record since this store read or wrote it. A view of the file that
// has gone stale so never writes into nowhere nor over another program's change.
class MenuStore {
public:
    // Opens an existing data file for reading and writing or, when it cannot be written, for
    // reading only: the menu then works and every write fails. Nothing when the file is
    // missing; throws when it cannot be opened at all. The store never creates the data file.
    static std::unique_ptr<MenuStore> Open(FileSystem& files, const AnsiCodec& ansi,
                                           const std::wstring& path);

    MenuStore(std::unique_ptr<RecordFile> file, const AnsiCodec& ansi)
        : file_(std::move(file)), ansi_(ansi) {}

    // Record `recordNumber` (1 = header, i + 2 = item i); throws when the read fails. A record
    // beyond the end of the file reads as zero bytes.
    MenuRecord Read(int recordNumber);

    // Items `first` to `last`, in one read of the file; throws when the read fails.
    std::vector<MenuRecord> ReadItems(int first, int last);

    // Writes `record` as item `itemNumber` (record itemNumber + 2; -1 writes the header), whole
    // or not at all: Written, or ChangedElsewhere when another program's change refused it.
    // Throws when the write failed; it never answers Failed.
    WriteOutcome WriteItem(int itemNumber, const MenuRecord& record);

    // Writes two items as one change (a swap of two snippets). When the first write fails the
    // second is not attempted; when the second fails, the first item is put back with one
    // attempt, so that no snippet is left in both records. Written when both were written;
    // ChangedElsewhere when another program's change refused one and the file is as it was;
    // throws otherwise.
    WriteOutcome WriteItemPair(int firstItem, const MenuRecord& first,
                               const MenuRecord& firstBefore, int secondItem,
                               const MenuRecord& second);

private:
    std::unique_ptr<RecordFile> file_;
    const AnsiCodec& ansi_;
    std::map<int, RecordBytes> seen_; // each record as this store last read or wrote it
};

} // namespace quillery
