#include "tools/menudat/Menudat.h"
#include "store/MenuDataFile.h"
#include "support/DoubleByteCodec.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <sstream>

namespace quillery {
namespace {

using testing::ReadBytes;
using testing::RecordBytesOf;

class MenudatTest : public ::testing::Test {
protected:
    struct Result {
        int code;
        std::string out;
        std::string err;
    };

    Result Run(std::vector<std::wstring> args) {
        std::ostringstream out;
        std::ostringstream err;
        const int code = menudat::Run(args, files, *codePage, out, err);
        return {code, out.str(), err.str()};
    }
    std::vector<std::uint8_t> Record(int number) {
        const auto bytes = ReadBytes(file);
        const auto offset = static_cast<std::size_t>(number - 1) * 232;
        if (bytes.size() < offset + 232) {
            return {};
        }
        return {bytes.begin() + static_cast<long>(offset),
                bytes.begin() + static_cast<long>(offset + 232)};
    }

    testing::TempDir dir;
    std::filesystem::path file = dir.path() / "Menu.dat";
    std::wstring path = file.wstring();
    testing::FaultyFileSystem files;
    Cp1252Codec ansi;
    const AnsiCodec* codePage = &ansi; // the data file's code page
};

TEST_F(MenudatTest, InitWritesHeaderAndStartersAndKeepsExistingFiles) {
    auto result = Run({L"init", path, L"http://www.example.com/q", L"--starters"});
    ASSERT_EQ(result.code, menudat::kOk) << result.err;
    const auto bytes = ReadBytes(file);
    EXPECT_EQ(bytes.size(), 6u * 232u); // header, unused record 2, four starters
    EXPECT_EQ(Record(1), RecordBytesOf(L"", L"http://www.example.com/q", 0));
    EXPECT_EQ(Record(2), std::vector<std::uint8_t>(232, 0));

    result = Run({L"init", path, L"http://other"});
    EXPECT_EQ(result.code, menudat::kFileError);
    EXPECT_NE(result.err.find("already exists"), std::string::npos);
    EXPECT_EQ(ReadBytes(file), bytes); // the user's snippets are kept

    result = Run({L"init", path, L"http://other", L"--force"});
    EXPECT_EQ(result.code, menudat::kOk);
    EXPECT_EQ(ReadBytes(file).size(), 232u);
}

TEST_F(MenudatTest, SetRemoveWelcomeChangeOnlyTheirRecord) {
    ASSERT_EQ(Run({L"init", path, L"http://www.example.com/q", L"--starters"}).code, 0);
    const auto header = Record(1);
    const auto item2 = Record(4);

    ASSERT_EQ(Run({L"set", path, L"20", L"Last", L"line one\nline two"}).code, 0);
    EXPECT_EQ(ReadBytes(file).size(), 22u * 232u);
    EXPECT_EQ(Record(22), RecordBytesOf(L"Last", L"line one\r\nline two", 0));

    ASSERT_EQ(Run({L"remove", path, L"1"}).code, 0);
    auto removed = RecordBytesOf(L"", L"name@example.com", 0);
    EXPECT_EQ(Record(3), removed); // description blanked, text kept
    EXPECT_EQ(Record(4), item2);

    ASSERT_EQ(Run({L"welcome", path, L"off"}).code, 0);
    auto expectedHeader = header;
    expectedHeader[230] = 1;
    EXPECT_EQ(Record(1), expectedHeader);
    ASSERT_EQ(Run({L"welcome", path, L"on"}).code, 0);
    EXPECT_EQ(Record(1), header);

    const auto list = Run({L"list", path});
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.out.find("base address: \"http://www.example.com/q\""), std::string::npos);
    EXPECT_NE(list.out.find("welcome window: on"), std::string::npos);
    EXPECT_EQ(list.out.find("My e-mail address"), std::string::npos);
    EXPECT_NE(list.out.find("20  Last  ->  \"line one\\r\\nline two\""), std::string::npos);
    EXPECT_NE(list.out.find("4 snippets"), std::string::npos);
}

// A data file's fields never reach the terminal as control sequences: ESC ] 0 ; ... BEL would
// retitle it and ESC [ 2 J clear it; U+009D (from byte 0x9D) is a terminal's one-byte OSC.
TEST_F(MenudatTest, ListEscapesControlCharacters) {
    std::vector<std::uint8_t> bytes = RecordBytesOf(L"", L"base", 1);
    bytes.resize(232 * 2, 0);
    auto item = RecordBytesOf(L"\x1B]0;owned\x07Name", L"\x1B[2Jtext", 0);
    item[30 + 8] = 0x9D;
    bytes.insert(bytes.end(), item.begin(), item.end());
    testing::WriteBytes(file, bytes);

    const auto list = Run({L"list", path});
    EXPECT_EQ(list.code, 0);
    EXPECT_NE(list.out.find(" 1  \\x1B]0;owned\\x07Name  ->  \"\\x1B[2Jtext\\x9D\""),
              std::string::npos)
        << list.out;
    for (const char c : list.out) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte >= 0x20 || byte == '\n') << "control byte " << int(byte) << " printed";
    }
}

TEST_F(MenudatTest, DumpShowsNulsAndPadding) {
    std::vector<std::uint8_t> bytes = RecordBytesOf(L"Head", L"base", 1);
    bytes.resize(232 + 100, 0); // a partial second record of zero bytes
    testing::WriteBytes(file, bytes);
    const auto result = Run({L"dump", path});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find("332 bytes, 2 records (the last one partial)"), std::string::npos);
    EXPECT_NE(result.out.find("Description \"Head\" + 26 spaces"), std::string::npos);
    EXPECT_NE(result.out.find("Flag        1"), std::string::npos);
    EXPECT_NE(result.out.find("record 2 (unused)"), std::string::npos);
    EXPECT_NE(result.out.find("Text        \"\\0{200}\""), std::string::npos);
}

TEST_F(MenudatTest, RefusalsLeaveTheFileAsItWas) {
    ASSERT_EQ(Run({L"init", path, L"http://www.example.com/q"}).code, 0);
    const auto before = ReadBytes(file);
    struct Case {
        std::vector<std::wstring> args;
        int code;
        const char* message;
    } cases[] = {
        {{L"set", path, L"0", L"d", L"t"}, menudat::kUsageError, "1 to 20"},
        {{L"set", path, L"21", L"d", L"t"}, menudat::kUsageError, "1 to 20"},
        {{L"set", path, L"x", L"d", L"t"}, menudat::kUsageError, "1 to 20"},
        {{L"set", path, L"1", std::wstring(31, L'd'), L"t"}, menudat::kUsageError, "at most 30"},
        {{L"set", path, L"1", L"d", std::wstring(201, L't')}, menudat::kUsageError, "at most 200"},
        {{L"remove", path, L"-1"}, menudat::kUsageError, "1 to 20"},
        {{L"welcome", path, L"maybe"}, menudat::kUsageError, "on or off"},
        {{L"frobnicate", path}, menudat::kUsageError, "unknown command"},
        {{}, menudat::kUsageError, "no command"},
        {{L"list", path + L".missing"}, menudat::kFileError, "no such data file"},
        {{L"set", path + L".missing", L"1", L"d", L"t"}, menudat::kFileError, "no such data file"},
    };
    for (const auto& c : cases) {
        const auto result = Run(c.args);
        EXPECT_EQ(result.code, c.code) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(path + L".missing"));

    // A failed read of the header writes nothing back.
    files.writtenRecords.clear();
    files.failReadOfRecord = {1};
    EXPECT_EQ(Run({L"welcome", path, L"off"}).code, menudat::kFileError);
    EXPECT_TRUE(files.writtenRecords.empty());
    EXPECT_EQ(ReadBytes(file), before);
}

// A field's width is in bytes of the code page: under one of two bytes per character, 15 such
// characters fill the description and a 16th is refused.
TEST_F(MenudatTest, WidthIsCountedInBytesOfTheCodePage) {
    const testing::DoubleByteCodec doubleByte;
    codePage = &doubleByte;
    ASSERT_EQ(Run({L"init", path, L"http://www.example.com/q"}).code, 0);
    const std::wstring kana15(15, L'\u30A2');
    ASSERT_EQ(Run({L"set", path, L"1", kana15, L"t"}).code, 0);
    const auto stored = Record(3);
    EXPECT_EQ(std::string(stored.begin(), stored.begin() + 30), doubleByte.Encode(kana15));

    const auto before = ReadBytes(file);
    auto result = Run({L"set", path, L"2", kana15 + L"\u30A4", L"t"});
    EXPECT_EQ(result.code, menudat::kUsageError);
    EXPECT_NE(result.err.find("takes 32 bytes"), std::string::npos) << result.err;
    result = Run({L"set", path, L"2", L"d", std::wstring(101, L'\u30A2')});
    EXPECT_EQ(result.code, menudat::kUsageError);
    EXPECT_NE(result.err.find("at most 200"), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(file), before);
}

// Arguments as a UTF-8 terminal passes them: valid text is stored in the data file's code page,
// and bytes that are no text in that encoding are refused instead of becoming an empty value.
TEST_F(MenudatTest, TerminalArgumentsAreDecodedOrRefused) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    const std::string narrowPath = file.string();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(menudat::RunFromTerminal({"init", narrowPath, "http://www.example.com/q"}, files,
                                       ansi, out, err),
              menudat::kOk);
    EXPECT_EQ(menudat::RunFromTerminal({"set", narrowPath, "3", "Caf\xC3\xA9", "text"}, files, ansi,
                                       out, err),
              menudat::kOk)
        << err.str();
    EXPECT_EQ(Record(5), RecordBytesOf(L"Caf\u00E9", L"text", 0));

    const auto before = ReadBytes(file);
    EXPECT_EQ(menudat::RunFromTerminal({"set", narrowPath, "3", "Caf\xE9", "text"}, files, ansi,
                                       out, err),
              menudat::kUsageError);
    EXPECT_NE(err.str().find("argument 4 is not valid text"), std::string::npos) << err.str();
    EXPECT_EQ(ReadBytes(file), before);
    std::setlocale(LC_CTYPE, previous.c_str());
}

} // namespace
} // namespace quillery
