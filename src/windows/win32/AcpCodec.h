#pragma once

#include "platform/AnsiCodec.h"

namespace quillery::win32 {

// The system's ANSI code page (CP_ACP). Characters the code page cannot hold become its default
// character: never a "best fit" look-alike, so that what is stored never silently reads back as
// a different letter; and a character outside the Basic Multilingual Plane becomes one default
// character, not one per UTF-16 unit.
class AcpCodec final : public AnsiCodec {
public:
    std::wstring Decode(const std::uint8_t* bytes, std::size_t size) const override;
    std::string Encode(std::wstring_view text) const override;
    std::size_t WholeCharactersLength(const std::uint8_t* bytes, std::size_t size) const override;
};

} // namespace quillery::win32
