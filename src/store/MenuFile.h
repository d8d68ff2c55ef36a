#pragma once

#include "shared/MenuRecord.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillery {

inline constexpr const wchar_t* kMenuFileName = L"Menu.dat";

// The data file's path: beside the component's own file.
std::wstring MenuFilePath();

// Opens the data file under a fresh file number, composes the site addresses from its header
// and loads items 1 to 20 into the snippet table. A file that cannot be opened for writing is
// opened for reading: the menu works and every write reports its failure. Failures are
// reported as fatal; loading stops once a report has closed the file.
void OpenMenuFile();

// Reads record `recordNumber` (1 = header, i + 2 = item i). A failed read is reported as
// fatal and gives the all-zero record.
MenuRecord GetMenuRecord(std::int16_t recordNumber);

// As GetMenuRecord, but a failed read (reported the same way) gives nothing, so a caller
// can tell a real all-zero record from a failure.
std::optional<MenuRecord> TryGetMenuRecord(std::int16_t recordNumber);

// Writes `record` as item `itemNumber` (record itemNumber + 2; -1 writes the header).
// A failed write is reported as fatal. Returns whether the record was written.
bool PutMenuRecord(std::int16_t itemNumber, const MenuRecord& record);

// Writes two items as one change (a swap of two snippets). When the first write fails,
// the second is not attempted; when the second fails, the first record is put back with one
// attempt before the failure is reported, so that no snippet is left in both records.
// The failure is reported once, as PutMenuRecord reports it. Returns whether both were written.
bool PutMenuRecordPair(std::int16_t firstItem, const MenuRecord& first,
                       const MenuRecord& firstBefore, std::int16_t secondItem,
                       const MenuRecord& second);

// Closes the data file, ignoring any error.
void CloseMenuFile() noexcept;

bool IsMenuFileOpen();

} // namespace quillery
