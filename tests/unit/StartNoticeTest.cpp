// What the resident program says as it starts.

#include "resident/StartNotice.h"

#include <gtest/gtest.h>

namespace quillery::resident {
namespace {

TEST(StartNoticeTest, IntroducedOnceTheWarningInItsPlaceNoneWithoutAnIcon) {
    struct Case {
        bool introducedBefore;
        bool hotkeyRegistered;
        bool iconShown;
        StartNotice notice;
    } cases[] = {
        {false, true, true, StartNotice::Introduction},
        {true, true, true, StartNotice::None},
        {false, false, true, StartNotice::HotkeyTaken},
        {true, false, true, StartNotice::HotkeyTaken},
        {false, true, false, StartNotice::None},
        {false, false, false, StartNotice::HotkeyTaken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "introduced before " << c.introducedBefore << ", hotkey registered "
                     << c.hotkeyRegistered << ", icon shown " << c.iconShown);
        EXPECT_EQ(NoticeAtStart(c.introducedBefore, c.hotkeyRegistered, c.iconShown), c.notice);
    }
    const std::wstring text = IntroductionText(L"Ctrl+Alt+F9");
    EXPECT_NE(text.find(L"press Ctrl+Alt+F9 in any program"), std::wstring::npos);
    EXPECT_NE(text.find(L"notification area"), std::wstring::npos);
}

} // namespace
} // namespace quillery::resident
