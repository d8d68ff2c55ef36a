#include "store/MenuDataFile.h"

#include <algorithm>

namespace quillery {

std::uint64_t MenuDataFile::OffsetOf(int recordNumber) {
    return static_cast<std::uint64_t>(recordNumber - 1) * kRecordSize;
}

std::optional<MenuRecord> MenuDataFile::Read(int recordNumber) {
    const std::optional<RecordBytes> bytes = ReadBytes(recordNumber);
    if (!bytes) {
        return std::nullopt;
    }
    return DecodeRecord(*bytes, ansi_);
}

std::optional<RecordBytes> MenuDataFile::ReadBytes(int recordNumber) {
    if (recordNumber < 1) {
        return std::nullopt;
    }
    RecordBytes bytes{};
    if (!file_.ReadAt(OffsetOf(recordNumber), bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<RecordBytes>> MenuDataFile::ReadRangeBytes(int firstRecord, int count) {
    if (firstRecord < 1 || count < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * kRecordSize, 0);
    if (!file_.ReadAt(OffsetOf(firstRecord), bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    std::vector<RecordBytes> records(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(i * kRecordSize), kRecordSize,
                    records[i].begin());
    }
    return records;
}

bool MenuDataFile::Write(int recordNumber, const MenuRecord& record) {
    return WriteBytes(recordNumber, EncodeRecord(record, ansi_));
}

bool MenuDataFile::WriteBytes(int recordNumber, const RecordBytes& bytes) {
    return WriteWhole(recordNumber, bytes, nullptr) == WriteOutcome::Written;
}

WriteOutcome MenuDataFile::WriteBytesIfUnchanged(int recordNumber, const RecordBytes& expected,
                                                 const RecordBytes& bytes) {
    return WriteWhole(recordNumber, bytes, &expected);
}

// What the record holds and how long the file is are read first: they are what a failed write
// puts back. A write that could not be taken back is not begun.
WriteOutcome MenuDataFile::WriteWhole(int recordNumber, const RecordBytes& bytes,
                                      const RecordBytes* expected) {
    if (recordNumber < 1) {
        return WriteOutcome::Failed;
    }
    const std::uint64_t offset = OffsetOf(recordNumber);
    const std::optional<std::uint64_t> sizeBefore = file_.Size();
    RecordBytes before{};
    const std::optional<std::size_t> kept = file_.ReadAt(offset, before.data(), before.size());
    if (!sizeBefore || !kept) {
        return WriteOutcome::Failed;
    }
    if (expected != nullptr && before != *expected) {
        // Changed by another program: not written over, unless it already holds exactly these
        // bytes (the same change made in both places), which leaves nothing to refuse.
        return *kept == before.size() && before == bytes ? WriteOutcome::Written
                                                         : WriteOutcome::ChangedElsewhere;
    }
    if (file_.WriteAt(offset, bytes.data(), bytes.size())) {
        return WriteOutcome::Written;
    }
    TakeBack(offset, before, *kept, *sizeBefore);
    return WriteOutcome::Failed;
}

// Puts back what a failed write changed, and only that: the record's old bytes, and the old
// length when the write grew the file.
void MenuDataFile::TakeBack(std::uint64_t offset, const RecordBytes& before, std::size_t kept,
                            std::uint64_t sizeBefore) {
    RecordBytes now{};
    const std::optional<std::size_t> readable = file_.ReadAt(offset, now.data(), kept);
    if (readable != kept || !std::equal(before.begin(), before.begin() + kept, now.begin())) {
        file_.WriteAt(offset, before.data(), kept);
    }
    const std::optional<std::uint64_t> sizeNow = file_.Size();
    if (!sizeNow || *sizeNow > sizeBefore) {
        file_.Truncate(sizeBefore);
    }
}

} // namespace quillery
