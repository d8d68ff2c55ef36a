#pragma once

#include "resident/Hotkey.h"

#include <string>

namespace quillery::app {

// What the user chose, kept per user in the registry: the hotkey
// (HKEY_CURRENT_USER\Software\Quillery, "Hotkey") and whether Quillery starts with Windows (the
// user's Run key, value "Quillery"); and whether the user has had the first start's
// introduction ("Introduced", 1 once shown).
class UserSettings {
public:
    // The kept hotkey; the default where none is kept or the kept value is no usable hotkey.
    resident::Hotkey Hotkey() const;
    bool SetHotkey(const resident::Hotkey& hotkey);

    // Whether the user's Run key starts this program's file, `program`.
    bool StartsWithWindows(const std::wstring& program) const;
    // Writes the Run key's value for `program`, or removes it. Whether it was done.
    bool SetStartWithWindows(bool on, const std::wstring& program);

    // Whether the user has had the first start's introduction; and keeping that they have.
    bool Introduced() const;
    bool SetIntroduced();
};

} // namespace quillery::app
