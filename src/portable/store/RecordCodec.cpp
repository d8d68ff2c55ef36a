#include "store/RecordCodec.h"

#include <algorithm>

namespace quillery {
namespace {

bool IsHighSurrogate(wchar_t ch) {
    return ch >= 0xD800 && ch <= 0xDBFF;
}

// Encodes one character at a time so that a field is never cut inside a multi-byte character.
void EncodeField(const std::wstring& text, const AnsiCodec& ansi, std::uint8_t* field,
                 std::size_t width) {
    std::size_t used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t units = (IsHighSurrogate(text[i]) && i + 1 < text.size()) ? 2 : 1;
        const std::string bytes = ansi.Encode(std::wstring_view(text).substr(i, units));
        if (used + bytes.size() > width) {
            break;
        }
        std::copy(bytes.begin(), bytes.end(), field + used);
        used += bytes.size();
        i += units;
    }
    std::fill(field + used, field + width, static_cast<std::uint8_t>(' '));
}

// A character that another program cut at the field's end is left out, as if it were padding,
// rather than read as a stray character of its own.
std::wstring DecodeField(const std::uint8_t* field, std::size_t width, const AnsiCodec& ansi) {
    std::wstring text = ansi.Decode(field, ansi.WholeCharactersLength(field, width));
    text.resize(width, L' ');
    return text;
}

} // namespace

RecordBytes EncodeRecord(const MenuRecord& record, const AnsiCodec& ansi) {
    RecordBytes bytes{};
    EncodeField(record.Description, ansi, bytes.data() + kDescriptionOffset,
                MenuRecord::kDescriptionWidth);
    EncodeField(record.Text, ansi, bytes.data() + kTextOffset, MenuRecord::kTextWidth);
    const auto flag = static_cast<std::uint16_t>(record.Flag);
    bytes[kFlagOffset] = static_cast<std::uint8_t>(flag & 0xFF);
    bytes[kFlagOffset + 1] = static_cast<std::uint8_t>(flag >> 8);
    return bytes;
}

MenuRecord DecodeRecord(const RecordBytes& bytes, const AnsiCodec& ansi) {
    MenuRecord record;
    record.Description =
        DecodeField(bytes.data() + kDescriptionOffset, MenuRecord::kDescriptionWidth, ansi);
    record.Text = DecodeField(bytes.data() + kTextOffset, MenuRecord::kTextWidth, ansi);
    record.Flag = static_cast<std::int16_t>(bytes[kFlagOffset] | (bytes[kFlagOffset + 1] << 8));
    return record;
}

} // namespace quillery
