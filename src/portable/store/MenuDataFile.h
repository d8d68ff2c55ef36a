#pragma once

#include "platform/AnsiCodec.h"
#include "platform/RecordFile.h"
#include "record/MenuRecord.h"
#include "store/RecordCodec.h"

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

// How a write that first checks the record ended: written; refused, with nothing written,
// because another program changed the record since it was read; or failed.
enum class WriteOutcome { Written, ChangedElsewhere, Failed };

// Fixed 232-byte records of an open data file, numbered from 1. It does not own the file.
class MenuDataFile {
public:
    MenuDataFile(RecordFile& file, const AnsiCodec& ansi) : file_(file), ansi_(ansi) {}

    static std::uint64_t OffsetOf(int recordNumber);

    // A record beyond the end of the file, wholly or in part, reads as zero bytes. Nothing
    // when the record number is below 1 or the read fails.
    std::optional<MenuRecord> Read(int recordNumber);
    std::optional<RecordBytes> ReadBytes(int recordNumber);

    // `count` records from `firstRecord` on, in one read of the file; each as ReadBytes() gives
    // it. Nothing when the read fails.
    std::optional<std::vector<RecordBytes>> ReadRangeBytes(int firstRecord, int count);

    // Writes the whole record, or leaves the file as it was: a write that fails part-way (a
    // full disk takes what fits) is taken back, so that no record is ever half written. The
    // file grows when the record lies beyond the end.
    bool Write(int recordNumber, const MenuRecord& record);
    bool WriteBytes(int recordNumber, const RecordBytes& bytes);

    // As WriteBytes, but only while the record still holds `expected`: when another program
    // has changed it since, nothing is written and the outcome says so.
    WriteOutcome WriteBytesIfUnchanged(int recordNumber, const RecordBytes& expected,
                                       const RecordBytes& bytes);

private:
    WriteOutcome WriteWhole(int recordNumber, const RecordBytes& bytes,
                            const RecordBytes* expected);
    void TakeBack(std::uint64_t offset, const RecordBytes& before, std::size_t kept,
                  std::uint64_t sizeBefore);

    RecordFile& file_;
    const AnsiCodec& ansi_;
};

} // namespace quillery
