#pragma once

#include "platform/AnsiCodec.h"

namespace quillery {

// The Windows-1252 code page, in portable code: the native builds' stand-in for the system's
// ANSI code page. Unassigned bytes map to the C1 control characters, as Windows maps them.
class Cp1252Codec final : public AnsiCodec {
public:
    static constexpr char kSubstitute = '?';

    std::wstring Decode(const std::uint8_t* bytes, std::size_t size) const override;
    std::string Encode(std::wstring_view text) const override;
};

} // namespace quillery
