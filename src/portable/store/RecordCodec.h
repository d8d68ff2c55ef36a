#pragma once

#include "platform/AnsiCodec.h"
#include "record/MenuRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillery {

// The on-disk form of a record: Description (30 bytes), Text (200 bytes), Flag (int16 LE).
inline constexpr std::size_t kRecordSize = 232;
inline constexpr std::size_t kDescriptionOffset = 0;
inline constexpr std::size_t kTextOffset = 30;
inline constexpr std::size_t kFlagOffset = 230;

using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// Text fields are converted to the ANSI code page, cut at the field's width in bytes (never
// inside a character) and padded with spaces.
RecordBytes EncodeRecord(const MenuRecord& record, const AnsiCodec& ansi);

// Zero bytes become NUL characters; a field that decodes to fewer characters than its width
// (a multi-byte code page) is padded with spaces, and so is a character cut at its end.
MenuRecord DecodeRecord(const RecordBytes& bytes, const AnsiCodec& ansi);

} // namespace quillery
