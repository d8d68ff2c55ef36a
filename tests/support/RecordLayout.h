#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Its own namespace: the Windows tests name GoogleTest's ::testing from inside quillery.
namespace quillery::test_bytes {

// A record's bytes written by hand from the data file's layout, so that the bytes a test
// expects never come from the codec it tests: bytes 0-29 the description and 30-229 the text,
// each padded with spaces, then the flag as a little-endian 16-bit number in bytes 230-231.
// Each character is written as one byte, so only ASCII and U+00A0-U+00FF, which code page 1252
// writes as their own value, are allowed.
inline std::vector<std::uint8_t> RecordBytesOf(const std::wstring& description,
                                               const std::wstring& text, std::int16_t flag) {
    constexpr std::size_t kDescriptionBytes = 30, kTextBytes = 200, kRecordBytes = 232;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kRecordBytes);
    const auto put = [&bytes](const std::wstring& field, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i) {
            const wchar_t c = i < field.size() ? field[i] : L' ';
            if (c > 0xFF || (c >= 0x80 && c < 0xA0)) {
                throw std::invalid_argument("RecordBytesOf: a character that is not one byte");
            }
            bytes.push_back(static_cast<std::uint8_t>(c));
        }
    };
    put(description, kDescriptionBytes);
    put(text, kTextBytes);
    const auto flagBits = static_cast<std::uint16_t>(flag);
    bytes.push_back(static_cast<std::uint8_t>(flagBits & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(flagBits >> 8));
    return bytes;
}

} // namespace quillery::test_bytes
