// Fuzz target: the record codec. The input is read as the store reads a data file, record by
// record with a short last record filled with zero bytes; it is also given whole to the code
// pages, and read as UTF-16 text that a user could type into a record. Both the native
// Windows-1252 code page and the tests' double-byte code page are used.
#include "cp1252/Cp1252Codec.h"
#include "fuzz/FuzzCheck.h"
#include "store/RecordCodec.h"
#include "support/DoubleByteCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

using quillery::AnsiCodec;
using quillery::DecodeRecord;
using quillery::EncodeRecord;
using quillery::kDescriptionOffset;
using quillery::kFlagOffset;
using quillery::kRecordSize;
using quillery::kTextOffset;
using quillery::MenuRecord;
using quillery::RecordBytes;
using quillery::fuzzing::Require;

// A field the encoder wrote never ends inside a character: a reader would drop that byte.
void RequireWholeCharacters(const RecordBytes& bytes, const AnsiCodec& ansi) {
    Require(ansi.WholeCharactersLength(bytes.data() + kDescriptionOffset,
                                       MenuRecord::kDescriptionWidth) ==
                MenuRecord::kDescriptionWidth,
            "an encoded description ends on a character boundary");
    Require(ansi.WholeCharactersLength(bytes.data() + kTextOffset, MenuRecord::kTextWidth) ==
                MenuRecord::kTextWidth,
            "an encoded text ends on a character boundary");
}

// Encoding what was decoded gives bytes that read back as the same record and encode to
// themselves again: a record that is read and written back, then read again, does not drift.
void CheckRoundTrip(const MenuRecord& decoded, const AnsiCodec& ansi) {
    const RecordBytes encoded = EncodeRecord(decoded, ansi);
    RequireWholeCharacters(encoded, ansi);
    const MenuRecord again = DecodeRecord(encoded, ansi);
    Require(again == decoded, "decode, encode, decode gives the record first decoded");
    Require(EncodeRecord(again, ansi) == encoded, "encoding a decoded record is stable");
}

void CheckStoredRecord(const RecordBytes& bytes, const AnsiCodec& ansi, bool everyByteACharacter) {
    const MenuRecord record = DecodeRecord(bytes, ansi);
    Require(record.Description.size() == MenuRecord::kDescriptionWidth,
            "a decoded description holds exactly its width of characters");
    Require(record.Text.size() == MenuRecord::kTextWidth,
            "a decoded text holds exactly its width of characters");
    std::int16_t flag = 0;
    std::memcpy(&flag, bytes.data() + kFlagOffset, sizeof flag); // little-endian host
    Require(record.Flag == flag, "the flag is the record's last two bytes, little-endian");
    CheckRoundTrip(record, ansi);
    if (everyByteACharacter) {
        Require(EncodeRecord(record, ansi) == bytes,
                "in a single-byte code page a record is written back byte for byte");
    }
}

// Text as a user could type it: any UTF-16 units, surrogates and kana included, cut or padded
// to the fields as the editor's values are.
void CheckTypedRecord(const std::uint8_t* data, std::size_t size, const AnsiCodec& ansi) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    const std::size_t split = std::min(units.size(), MenuRecord::kDescriptionWidth);
    MenuRecord typed;
    typed.SetDescription(units.substr(0, split));
    typed.SetText(units.substr(split));
    typed.Flag = static_cast<std::int16_t>(size);
    const RecordBytes encoded = EncodeRecord(typed, ansi);
    RequireWholeCharacters(encoded, ansi);
    CheckRoundTrip(DecodeRecord(encoded, ansi), ansi);
    const bool plainAscii = std::all_of(units.begin(), units.end(),
                                        [](wchar_t unit) { return unit >= 0x20 && unit < 0x7F; });
    if (plainAscii) {
        Require(DecodeRecord(encoded, ansi) == typed, "plain ASCII text comes back as typed");
    }
}

void CheckWith(const std::uint8_t* data, std::size_t size, const AnsiCodec& ansi,
               bool everyByteACharacter) {
    // The code page on exactly the input's bytes: a read past them is a sanitizer report.
    const std::size_t whole = ansi.WholeCharactersLength(data, size);
    Require(whole <= size, "whole characters lie within the bytes given");
    Require(size - whole <= 1, "at most one byte of a cut character is left out");
    ansi.Decode(data, whole);

    for (std::size_t offset = 0; offset < size || offset == 0; offset += kRecordSize) {
        // On the heap, so that a read past the record is a sanitizer report too.
        auto bytes = std::make_unique<RecordBytes>();
        std::copy_n(data + offset, std::min(kRecordSize, size - offset), bytes->begin());
        CheckStoredRecord(*bytes, ansi, everyByteACharacter);
    }
    CheckTypedRecord(data, size, ansi);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckWith(data, size, quillery::Cp1252Codec{}, /*everyByteACharacter=*/true);
    CheckWith(data, size, quillery::testing::DoubleByteCodec{}, /*everyByteACharacter=*/false);
    return 0;
}
