#include "app/UserSettings.h"

#include "winapi/UniqueResource.h"

#include <windows.h>

namespace quillery::app {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quillery";
constexpr wchar_t kHotkeyValue[] = L"Hotkey";
constexpr wchar_t kIntroducedValue[] = L"Introduced";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Quillery";

// The command line the Run key holds: the program's path in quotes, since it may hold blanks.
std::wstring RunCommand(const std::wstring& program) {
    return L"\"" + program + L"\"";
}

// Writes a number into the user's settings key. Whether it was written.
bool SetNumber(const wchar_t* name, DWORD value) {
    win32::UniqueKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

} // namespace

resident::Hotkey UserSettings::Hotkey() const {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kHotkeyValue, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) == ERROR_SUCCESS) {
        if (auto kept = resident::HotkeyFromStored(value)) {
            return *kept;
        }
    }
    return resident::kDefaultHotkey;
}

bool UserSettings::SetHotkey(const resident::Hotkey& hotkey) {
    return SetNumber(kHotkeyValue, resident::StoredHotkey(hotkey));
}

bool UserSettings::Introduced() const {
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kIntroducedValue, RRF_RT_REG_DWORD,
                        nullptr, &value, &size) == ERROR_SUCCESS &&
           value != 0;
}

bool UserSettings::SetIntroduced() {
    return SetNumber(kIntroducedValue, 1);
}

bool UserSettings::StartsWithWindows(const std::wstring& program) const {
    wchar_t command[MAX_PATH * 2] = L"";
    DWORD size = sizeof(command);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, command,
                     &size) != ERROR_SUCCESS) {
        return false;
    }
    return CompareStringOrdinal(command, -1, RunCommand(program).c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool UserSettings::SetStartWithWindows(bool on, const std::wstring& program) {
    win32::UniqueKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (!on) {
        const LSTATUS removed = RegDeleteValueW(key.get(), kRunValue);
        return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring command = RunCommand(program);
    return RegSetValueExW(
               key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
               static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace quillery::app
