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

    // The length of the longest start of `bytes` that ends on a character boundary: all of
    // them, unless the last character was cut after its first byte (a double-byte code page)
    // or inside its sequence (UTF-8). A single-byte code page never cuts a character.
    virtual std::size_t WholeCharactersLength(const std::uint8_t* bytes, std::size_t size) const {
        (void)bytes;
        return size;
    }
};

} // namespace quillery
