#include "cp1252/Cp1252Codec.h"
#include "record/MenuRecord.h"
#include "store/RecordCodec.h"
#include "support/DoubleByteCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quillery {
namespace {

const Cp1252Codec kAnsi;

std::string FieldBytes(const RecordBytes& bytes, std::size_t offset, std::size_t width) {
    return std::string(bytes.begin() + offset, bytes.begin() + offset + width);
}

TEST(MenuRecordTest, EmptyItemRule) {
    struct Case {
        std::wstring description;
        bool empty;
    } cases[] = {
        {std::wstring(30, L' '), true},
        {std::wstring(30, L'\0'), true},
        {std::wstring(1, L'\0') + L"Hidden" + std::wstring(23, L' '), true},
        {L" a" + std::wstring(28, L' '), false},
        {L"Address" + std::wstring(23, L' '), false},
        {L"\t" + std::wstring(29, L' '), false}, // only the space character is blank
        {L"  x" + std::wstring(1, L'\0'), false},
    };
    for (const auto& c : cases) {
        MenuRecord record;
        record.Description = c.description;
        EXPECT_EQ(record.IsEmptyItem(), c.empty) << "case of length " << c.description.size();
    }
}

TEST(MenuRecordTest, AssignmentCutsAndPads) {
    MenuRecord record;
    record.SetDescription(std::wstring(40, L'd'));
    record.SetText(L"short");
    EXPECT_EQ(record.Description, std::wstring(30, L'd'));
    EXPECT_EQ(record.Text.size(), 200u);
    EXPECT_EQ(record.Text.substr(0, 6), L"short ");
    EXPECT_EQ(TrimSpaces(record.Text), L"short");
    EXPECT_EQ(TrimSpaces(L"  a b \r\n  "), L"a b \r\n");
    EXPECT_EQ(TrimSpaces(std::wstring(5, L' ')), L"");
}

TEST(RecordCodecTest, LayoutOfEveryField) {
    MenuRecord record;
    record.SetDescription(L"Home address");
    record.SetText(L"1 Main Street");
    record.Flag = -2;
    const RecordBytes bytes = EncodeRecord(record, kAnsi);

    EXPECT_EQ(FieldBytes(bytes, 0, 30), "Home address" + std::string(18, ' '));
    EXPECT_EQ(FieldBytes(bytes, 30, 200), "1 Main Street" + std::string(187, ' '));
    EXPECT_EQ(bytes[230], 0xFE); // -2, little-endian
    EXPECT_EQ(bytes[231], 0xFF);
    EXPECT_EQ(DecodeRecord(bytes, kAnsi), record);
}

TEST(RecordCodecTest, ZeroBytesReadAsNulCharacters) {
    const RecordBytes zero{};
    const MenuRecord record = DecodeRecord(zero, kAnsi);
    EXPECT_EQ(record.Description, std::wstring(30, L'\0'));
    EXPECT_EQ(record.Text, std::wstring(200, L'\0'));
    EXPECT_EQ(record.Flag, 0);
    EXPECT_TRUE(record.IsEmptyItem());
    EXPECT_EQ(EncodeRecord(record, kAnsi), zero); // NULs are written back as zero bytes
}

TEST(RecordCodecTest, CodePageConversion) {
    struct Case {
        std::wstring text;
        std::string stored;
    } cases[] = {
        {L"caf\u00e9 \u20ac5", "caf\xe9 \x80"
                               "5"},       // Latin-1 and the euro sign round-trip
        {L"\u0101\u4e2d", "??"},           // characters the code page cannot hold
        {L"line\r\nnext", "line\r\nnext"}, // line breaks are kept
    };
    for (const auto& c : cases) {
        MenuRecord record;
        record.SetText(c.text);
        const RecordBytes bytes = EncodeRecord(record, kAnsi);
        EXPECT_EQ(FieldBytes(bytes, 30, c.stored.size()), c.stored);
        EXPECT_EQ(bytes[30 + c.stored.size()], ' ');
    }
}

// Under a code page of two bytes per character a field holds half as many such characters;
// the store cuts between characters, never inside one, and a character that another program
// cut at a field's end reads as padding.
TEST(RecordCodecTest, DoubleByteFieldsAreCutBetweenCharacters) {
    const testing::DoubleByteCodec ansi;
    const std::wstring kana15(15, L'\u30A2');
    MenuRecord record;
    record.SetDescription(kana15);
    RecordBytes bytes = EncodeRecord(record, ansi);
    EXPECT_EQ(FieldBytes(bytes, 0, 30), ansi.Encode(kana15)); // 30 bytes: full to the last
    // Read back, a field holds as many characters as it has bytes, the rest spaces.
    const auto padded = [](std::wstring text) {
        text.resize(30, L' ');
        return text;
    };
    EXPECT_EQ(DecodeRecord(bytes, ansi).Description, padded(kana15));

    // A 16th would need bytes 31 and 32: the field keeps the first 15.
    record.SetDescription(kana15 + L"\u30A4");
    EXPECT_EQ(FieldBytes(EncodeRecord(record, ansi), 0, 30), ansi.Encode(kana15));

    // One byte left for a character of two: it stays padding.
    record.SetDescription(L"a" + kana15);
    bytes = EncodeRecord(record, ansi);
    EXPECT_EQ(FieldBytes(bytes, 0, 30), ansi.Encode(L"a" + kana15.substr(1)) + " ");
    EXPECT_EQ(DecodeRecord(bytes, ansi).Description, padded(L"a" + kana15.substr(1)));

    // Another program wrote a lead byte as the field's last byte, its trail byte beyond.
    std::string cut = "b" + ansi.Encode(kana15);
    RecordBytes written{};
    std::copy(cut.begin(), cut.begin() + 30, written.begin());
    const MenuRecord read = DecodeRecord(written, ansi);
    EXPECT_EQ(read.Description, padded(L"b" + kana15.substr(1)));
    EXPECT_EQ(read.Description.find(testing::DoubleByteCodec::kLoneLeadByte), std::wstring::npos);
}

TEST(RecordCodecTest, Cp1252DecodesEveryByteToOneCharacter) {
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        const std::wstring ch = kAnsi.Decode(&b, 1);
        ASSERT_EQ(ch.size(), 1u);
        EXPECT_EQ(kAnsi.Encode(ch), std::string(1, static_cast<char>(byte))) << byte;
    }
}

} // namespace
} // namespace quillery
