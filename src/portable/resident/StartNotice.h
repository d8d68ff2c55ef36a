#pragma once

#include <string>
#include <string_view>

namespace quillery::resident {

// What the resident program says from its icon as it starts.
enum class StartNotice {
    None,         // a later start, or one without an icon (whose own message names the hotkey)
    Introduction, // the user's first start: how to open the menu and where the icon is
    HotkeyTaken,  // another program holds the hotkey: its warning, in place of the introduction
};

// The notice for a start: `introducedBefore` whether the user has had the introduction,
// `hotkeyRegistered` whether the hotkey is this program's, `iconShown` whether the shell took
// the icon.
StartNotice NoticeAtStart(bool introducedBefore, bool hotkeyRegistered, bool iconShown);

// The introduction, naming the hotkey as the user presses it ("Ctrl+Shift+Insert").
std::wstring IntroductionText(std::wstring_view hotkeyName);

} // namespace quillery::resident
