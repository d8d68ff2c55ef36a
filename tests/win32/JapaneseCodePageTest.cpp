// The data file under a double-byte ANSI code page, with the system's own conversion: this
// program runs under the Japanese locale (code page 932), where a kana takes two bytes.

#include "Win32TestSupport.h"

#include "store/MenuStore.h"

#include <gtest/gtest.h>

#include <string>

namespace quillery {
namespace {

using wintest::ReadWholeFile;
using wintest::RealPlatform;
using wintest::RecordOf;
using wintest::WriteWholeFile;

const std::wstring kKana15(15, L'\u30A2'); // KATAKANA A: 0x83 0x41 in code page 932

std::wstring Padded(std::wstring text) {
    text.resize(30, L' ');
    return text;
}

std::string Repeated(const std::string& bytes, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += bytes;
    }
    return all;
}

TEST(JapaneseCodePageTest, FieldsHoldHalfAsManyKanaAndNoCharacterIsCutInTwo) {
    ASSERT_EQ(::GetACP(), 932u) << "this program runs under the Japanese locale";
    RealPlatform platform;
    WriteWholeFile(platform.MenuFile(), wintest::MenuFileBytes(L"", 1, {1}));
    auto store = MenuStore::Open(platform.files, platform.ansi, platform.MenuFile());
    ASSERT_TRUE(store);

    // Fifteen fill the description's 30 bytes; a 16th is left out whole.
    MenuRecord item;
    item.SetDescription(kKana15 + L"\u30A4");
    item.SetText(L"a" + kKana15);
    ASSERT_EQ(store->WriteItem(2, item), WriteOutcome::Written);
    const auto record = RecordOf(ReadWholeFile(platform.MenuFile()), 4);
    EXPECT_EQ(std::string(record.begin(), record.begin() + 30), Repeated("\x83\x41", 15));
    const std::string text(record.begin() + 30, record.begin() + 62);
    EXPECT_EQ(text, "a" + Repeated("\x83\x41", 15) + " ");
    const MenuRecord read = store->Read(4);
    EXPECT_EQ(read.Description, Padded(kKana15));

    // Another program cut a kana at the description's end: its lead byte is padding.
    store.reset();
    auto bytes = ReadWholeFile(platform.MenuFile());
    const std::string cut = "b" + Repeated("\x83\x41", 15);
    std::copy(cut.begin(), cut.begin() + 30, bytes.begin() + 3 * 232);
    WriteWholeFile(platform.MenuFile(), bytes);
    store = MenuStore::Open(platform.files, platform.ansi, platform.MenuFile());
    ASSERT_TRUE(store);
    const MenuRecord readCut = store->Read(4);
    EXPECT_EQ(readCut.Description, Padded(L"b" + kKana15.substr(1)));
}

} // namespace
} // namespace quillery
