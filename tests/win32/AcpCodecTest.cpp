#include "win32/AcpCodec.h"
#include "cp1252/Cp1252Codec.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace quillery {
namespace {

using win32::AcpCodec;

class AcpCodecTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::GetACP() != 1252) {
            GTEST_SKIP() << "these cases are written for code page 1252, the system uses "
                         << ::GetACP();
        }
    }
    AcpCodec acp;
    Cp1252Codec portable;
};

// The system's table and the portable stand-in that native tests use agree on every byte.
TEST_F(AcpCodecTest, EveryByteDecodesAsThePortableTableSaysAndRoundTrips) {
    std::uint8_t all[256];
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<std::uint8_t>(i);
    }
    const std::wstring text = acp.Decode(all, 256);
    ASSERT_EQ(text.size(), 256u);
    const std::wstring expected = portable.Decode(all, 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(static_cast<unsigned>(text[i]), static_cast<unsigned>(expected[i]))
            << "byte 0x" << std::hex << i;
    }
    EXPECT_EQ(acp.Encode(text), std::string(reinterpret_cast<const char*>(all), 256));
    EXPECT_TRUE(acp.Decode(all, 0).empty());
}

TEST_F(AcpCodecTest, UnrepresentableCharactersBecomeOneSubstituteEach) {
    struct Case {
        const char* name;
        std::wstring text;
        std::string bytes;
    } cases[] = {
        {"empty", L"", ""},
        {"plain", L"Ada Lovelace", "Ada Lovelace"},
        {"code page letters", L"\u20AC\u00E9\u0178", "\x80\xE9\x9F"},
        {"embedded NUL", std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        // A best fit would write these as the look-alike 'A'.
        {"no best fit", L"\u0100\uFF21", "??"},
        {"other scripts", L"\u4E2D\u6587x", "??x"},
        {"surrogate pair is one character", L"a\U0001F600b\U0001F600", "a?b?"},
        {"lone surrogate", std::wstring(L"\xD800") + L"x", "?x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(acp.Encode(c.text), c.bytes);
        EXPECT_EQ(portable.Encode(c.text), c.bytes) << "the native stand-in differs";
    }
}

} // namespace
} // namespace quillery
