#pragma once

#include "platform/AnsiCodec.h"
#include "platform/RecordFile.h"
#include "shared/MenuRecord.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace quillery {

// Record numbers and roles in the data file.
inline constexpr int kHeaderRecord = 1;
inline constexpr int kHeaderItemNumber = -1; // item number that writes record 1
inline constexpr int RecordOfItem(int itemNumber) {
    return itemNumber + 2;
}

// Fixed 232-byte records of an open data file, numbered from 1. It does not own the file.
class MenuDataFile {
public:
    MenuDataFile(RecordFile& file, const AnsiCodec& ansi) : file_(file), ansi_(ansi) {}

    static std::uint64_t OffsetOf(int recordNumber);

    // A record beyond the end of the file, wholly or in part, reads as zero bytes. Nothing
    // when the record number is below 1 or the read fails.
    std::optional<MenuRecord> Read(int recordNumber);

    // `count` records from `firstRecord` on, in one read of the file; each as Read() gives it.
    // Nothing when the read fails.
    std::optional<std::vector<MenuRecord>> ReadRange(int firstRecord, int count);

    // Writes the whole record; the file grows when it lies beyond the end.
    bool Write(int recordNumber, const MenuRecord& record);

private:
    RecordFile& file_;
    const AnsiCodec& ansi_;
};

} // namespace quillery
