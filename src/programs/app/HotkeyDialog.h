#pragma once

#include "resident/Hotkey.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace quillery::app {

// The name of a key on the user's keyboard layout ("Insert", "F9", "Q").
std::wstring KeyName(UINT virtualKey);

// "Ctrl+Shift+Insert", with the key named as the keyboard layout names it.
std::wstring HotkeyName(const resident::Hotkey& hotkey);

// Asks the user for a new hotkey in a dialog that starts with `current`. `take` tries each
// usable choice (registers it): it answers empty when it took it, else why not, and the dialog
// stays open with that reason. Returns the hotkey taken; nothing when the user cancelled. A
// failure inside the dialog (`take`'s among them) closes it and is thrown on from here.
std::optional<resident::Hotkey>
AskForHotkey(HWND owner, const resident::Hotkey& current,
             const std::function<std::wstring(const resident::Hotkey&)>& take);

} // namespace quillery::app
