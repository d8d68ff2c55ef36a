#include "resident/StartNotice.h"

namespace quillery::resident {

StartNotice NoticeAtStart(bool introducedBefore, bool hotkeyRegistered, bool iconShown) {
    if (!hotkeyRegistered) {
        return StartNotice::HotkeyTaken;
    }
    // Without an icon there is nothing to point at: the next start with one introduces it.
    return introducedBefore || !iconShown ? StartNotice::None : StartNotice::Introduction;
}

std::wstring IntroductionText(std::wstring_view hotkeyName) {
    return L"Quillery is running: press " + std::wstring(hotkeyName) +
           L" in any program to open the snippet menu. Its icon is in the notification area, "
           L"where you can change the hotkey.";
}

} // namespace quillery::resident
