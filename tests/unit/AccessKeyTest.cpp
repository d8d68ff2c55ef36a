#include "forms/AccessKey.h"

#include <gtest/gtest.h>

namespace quillery {
namespace {

TEST(AccessKeyTest, MarksAreDroppedAndTheFirstMarkedCharacterIsTheKey) {
    struct Case {
        const wchar_t* caption;
        const wchar_t* plain;
        std::optional<wchar_t> key;
    } cases[] = {
        {L"&Home address", L"Home address", L'H'},
        {L"e&mail", L"email", L'M'},           // letters compare in upper case
        {L"Tom && Jerry", L"Tom & Jerry", {}}, // "&&" is a plain '&', no key
        {L"R&&D &team", L"R&D team", L'T'},    // the key after a plain '&'
        {L"&first &second", L"first second", L'F'},
        {L"trailing &", L"trailing ", {}}, // a mark with nothing after it
        {L"&1 phone", L"1 phone", L'1'},
        {L"", L"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithoutAccessMarks(c.caption), c.plain) << c.caption;
        EXPECT_EQ(AccessKeyOf(c.caption), c.key) << c.caption;
    }
    EXPECT_EQ(AccessKeyCase(L'q'), L'Q');
    EXPECT_EQ(AccessKeyCase(L'Q'), L'Q');
    EXPECT_EQ(AccessKeyCase(L'7'), L'7');
}

} // namespace
} // namespace quillery
