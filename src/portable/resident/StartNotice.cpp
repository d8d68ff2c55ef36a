#include "resident/StartNotice.h"

#include "messages/ResidentMessages.h"

namespace quillery::resident {

StartNotice NoticeAtStart(bool introducedBefore, bool hotkeyRegistered, bool iconShown) {
    if (!hotkeyRegistered) {
        return StartNotice::HotkeyTaken;
    }
    // Without an icon there is nothing to point at: the next start with one introduces it.
    return introducedBefore || !iconShown ? StartNotice::None : StartNotice::Introduction;
}

std::wstring IntroductionText(std::wstring_view hotkeyName) {
    return messages::Introduction(std::wstring(hotkeyName));
}

} // namespace quillery::resident
