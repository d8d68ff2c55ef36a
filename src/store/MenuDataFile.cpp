#include "store/MenuDataFile.h"

#include "store/RecordCodec.h"

#include <algorithm>

namespace quillery {

std::uint64_t MenuDataFile::OffsetOf(int recordNumber) {
    return static_cast<std::uint64_t>(recordNumber - 1) * kRecordSize;
}

std::optional<MenuRecord> MenuDataFile::Read(int recordNumber) {
    if (recordNumber < 1) {
        return std::nullopt;
    }
    RecordBytes bytes{};
    if (!file_.ReadAt(OffsetOf(recordNumber), bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return DecodeRecord(bytes, ansi_);
}

std::optional<std::vector<MenuRecord>> MenuDataFile::ReadRange(int firstRecord, int count) {
    if (firstRecord < 1 || count < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * kRecordSize, 0);
    if (!file_.ReadAt(OffsetOf(firstRecord), bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    std::vector<MenuRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    for (std::size_t offset = 0; offset < bytes.size(); offset += kRecordSize) {
        RecordBytes one{};
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), kRecordSize, one.begin());
        records.push_back(DecodeRecord(one, ansi_));
    }
    return records;
}

bool MenuDataFile::Write(int recordNumber, const MenuRecord& record) {
    if (recordNumber < 1) {
        return false;
    }
    const RecordBytes bytes = EncodeRecord(record, ansi_);
    return file_.WriteAt(OffsetOf(recordNumber), bytes.data(), bytes.size());
}

} // namespace quillery
