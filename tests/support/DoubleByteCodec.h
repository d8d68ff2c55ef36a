#pragma once

#include "platform/AnsiCodec.h"

namespace quillery::testing {

// A small double-byte code page for the native tests, shaped like the East Asian ANSI code
// pages: bytes below 0x80 are ASCII; the kana (U+3040 to U+30FF) take two bytes, a lead byte
// (0x82 or 0x83) and a trail byte (0x80 to 0xFF); anything else becomes '?'. A lead byte with
// no trail byte after it reads as U+30FB, as the Japanese code page reads it.
class DoubleByteCodec final : public AnsiCodec {
public:
    static constexpr wchar_t kLoneLeadByte = 0x30FB;

    std::wstring Decode(const std::uint8_t* bytes, std::size_t size) const override;
    std::string Encode(std::wstring_view text) const override;
    std::size_t WholeCharactersLength(const std::uint8_t* bytes, std::size_t size) const override;
};

} // namespace quillery::testing
