// Writes the fuzz targets' seed corpus into a directory: data files as the product writes them,
// and damaged ones as a disk, a copy cut short or another program could leave them. Every file
// is built here, record by record, so that the repository holds no binary files.
#include "cp1252/Cp1252Codec.h"
#include "posix/PosixFileSystem.h"
#include "support/DataFile.h"
#include "tools/menudat/Menudat.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using quillery::testing::DataFile;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::size_t kRecord = 232;

// The header, with the welcome window switched off, and items 1 to `count` filled.
DataFile Items(int count, std::int16_t flag = 1) {
    DataFile file;
    file.Header(flag);
    for (int item = 1; item <= count; ++item) {
        file.Item(item, L"Item " + std::to_wstring(item), L"Text of item " + std::to_wstring(item));
    }
    return file;
}

Bytes CutTo(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

// Puts raw bytes into the file at `offset`, growing it with zero bytes when needed.
void Poke(Bytes& file, std::size_t offset, const Bytes& bytes) {
    if (file.size() < offset + bytes.size()) {
        file.resize(offset + bytes.size(), 0);
    }
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::size_t ItemOffset(int item) {
    return static_cast<std::size_t>(item + 1) * kRecord;
}

Bytes Range(std::uint8_t first, std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

// The data file the build ships, written by the product's own tool.
Bytes DefaultMenuDat(const fs::path& scratch) {
    quillery::PosixFileSystem files;
    quillery::Cp1252Codec ansi;
    std::ostringstream out;
    std::ostringstream err;
    const std::wstring path = scratch.wstring();
    if (quillery::menudat::Run(
            {L"init", path, L"http://www.example.com/quillery/menu.asp", L"--starters", L"--force"},
            files, ansi, out, err) != quillery::menudat::kOk) {
        throw std::runtime_error("menudat init failed: " + err.str());
    }
    const Bytes bytes = quillery::testing::ReadBytes(scratch);
    fs::remove(scratch);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds DIRECTORY\n";
        return 2;
    }
    const fs::path dir = argv[1];
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto write = [&dir](const char* name, const Bytes& bytes) {
        quillery::testing::WriteBytes(dir / name, bytes);
    };

    const Bytes full = Items(20).bytes; // header and 20 items: 5104 bytes
    write("default-menu-dat", DefaultMenuDat(dir / "scratch"));
    write("empty", {});
    write("three-bytes", CutTo(full, 3));
    write("header-cut-short", CutTo(full, 100));
    write("header-only-welcome-off", Items(0).bytes);
    write("header-only-welcome-on", Items(0, 0).bytes);
    write("welcome-flag-2", Items(3, 2).bytes);
    write("welcome-flag-minus-1", Items(3, -1).bytes);
    write("ten-records", Items(8).bytes);
    write("twenty-items", full);
    write("item-5-cut-short", CutTo(full, ItemOffset(5) + 100));
    write("one-byte-past-the-items", CutTo(full, full.size() + 1));
    write("one-byte-short", CutTo(full, full.size() - 1));
    write("records-past-the-items", Items(23).bytes);
    write("all-0xff", Bytes(full.size(), 0xFF));
    write("all-spaces", Bytes(full.size(), ' '));

    DataFile gaps = Items(0);
    gaps.Item(1, L"First", L"one").Item(4, L"Fourth", L"four").Item(20, L"Last", L"twenty");
    gaps.Record(2, L"Never shown", L"record two", 7);
    write("items-with-gaps", gaps.bytes);

    // Empty and nearly empty items, NULs inside fields, a text that the end of the file cuts.
    DataFile blanks = Items(0);
    blanks.Item(1, L"", L"blank description keeps its text")
        .Item(2, std::wstring(L"\0starts with NUL", 16), L"hidden")
        .Item(3, L" x", L"   padded   ")
        .Item(4, std::wstring(L"Na\0me", 5), std::wstring(L"up to\0the NUL", 13))
        .Item(5, L"Line breaks", L"first\r\nsecond\r\nthird")
        .Item(6, L"&Access &key", std::wstring(200, L'w'));
    write("blank-and-nul-fields", blanks.bytes);
    write("text-cut-by-the-end", CutTo(blanks.bytes, ItemOffset(4) + 40));

    // Bytes 0x80 to 0xFF in every field, and double-byte lead bytes left at a field's end.
    Bytes high = Items(4).bytes;
    Poke(high, ItemOffset(1), Range(0x80, 30));
    Poke(high, ItemOffset(1) + 30, Range(0x80, 128));
    Poke(high, ItemOffset(2), Range(0xE0, 30));
    Bytes cut = Range('a', 29);
    cut.push_back(0x82);
    Poke(high, ItemOffset(3), cut);
    Poke(high, ItemOffset(3) + 229, {0x83});
    Poke(high, 229, {0x82}); // the header's base address ends in a lead byte
    write("high-and-lead-bytes", high);
    return 0;
}
