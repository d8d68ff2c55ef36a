#include "store/MenuDataFile.h"

#include "store/RecordCodec.h"

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

bool MenuDataFile::Write(int recordNumber, const MenuRecord& record) {
    if (recordNumber < 1) {
        return false;
    }
    const RecordBytes bytes = EncodeRecord(record, ansi_);
    return file_.WriteAt(OffsetOf(recordNumber), bytes.data(), bytes.size());
}

} // namespace quillery
