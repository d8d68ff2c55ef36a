#include "support/DoubleByteCodec.h"

namespace quillery::testing {
namespace {

bool IsLead(std::uint8_t byte) {
    return byte == 0x82 || byte == 0x83;
}

} // namespace

std::wstring DoubleByteCodec::Decode(const std::uint8_t* bytes, std::size_t size) const {
    std::wstring text;
    for (std::size_t i = 0; i < size; ++i) {
        if (!IsLead(bytes[i])) {
            text += bytes[i] < 0x80 ? static_cast<wchar_t>(bytes[i]) : L'?';
        } else if (i + 1 == size) {
            text += kLoneLeadByte;
        } else {
            text += static_cast<wchar_t>(0x3000 + ((bytes[i] - 0x82) << 7 | (bytes[i + 1] & 0x7F)));
            ++i;
        }
    }
    return text;
}

std::string DoubleByteCodec::Encode(std::wstring_view text) const {
    std::string bytes;
    for (const wchar_t ch : text) {
        if (ch < 0x80) {
            bytes += static_cast<char>(ch);
        } else if (ch >= 0x3000 && ch <= 0x30FF) {
            bytes += static_cast<char>(0x82 + ((ch - 0x3000) >> 7));
            bytes += static_cast<char>(0x80 | (ch & 0x7F));
        } else {
            bytes += '?';
        }
    }
    return bytes;
}

std::size_t DoubleByteCodec::WholeCharactersLength(const std::uint8_t* bytes,
                                                   std::size_t size) const {
    for (std::size_t i = 0; i < size; ++i) {
        if (IsLead(bytes[i])) {
            if (i + 1 == size) {
                return i;
            }
            ++i;
        }
    }
    return size;
}

} // namespace quillery::testing
