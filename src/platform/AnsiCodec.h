#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillery {

// Converts between the in-memory UTF-16 text and the bytes of the system's ANSI code page.
class AnsiCodec {
public:
    virtual ~AnsiCodec() = default;

    virtual std::wstring Decode(const std::uint8_t* bytes, std::size_t size) const = 0;

    // A character the code page cannot hold becomes the code page's substitute character.
    virtual std::string Encode(std::wstring_view text) const = 0;
};

} // namespace quillery
