#pragma once

#include "messages/Messages.h"

#include <string>

// The user-visible texts of the resident program (Quillery.exe): its notices and message
// boxes, its window's title and the icon's tooltip, the icon's menu, and the hotkey dialog's
// refusals; its title is kProductName. The wording is the product's own, as the component's is:
// do not correct it. Texts that name a hotkey take it as the user presses it ("Ctrl+Shift+F9").
namespace quillery::messages {

// A failure's fixed text (ASCII, as quillery::Failure holds it), as a notice shows it.
inline std::wstring Widened(const char* text) {
    std::wstring wide;
    for (; *text != '\0'; ++text) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
    }
    return wide;
}

// Starting, and what another start or a wrong command line is told.
inline constexpr const wchar_t* kNoRoomToStart =
    L"Quillery could not start: the system has no room left for it.";
inline constexpr const wchar_t* kNoWindowToStart =
    L"Quillery could not start: its window could not be made.";
inline constexpr const wchar_t* kCannotGoOn =
    L"Quillery could not go on: the system is out of memory.";
inline constexpr const wchar_t* kNameTaken =
    L"Another program holds the name Quillery uses to run only once, so Quillery "
    L"started anyway; starting it again may run it twice.";

inline std::wstring Introduction(const std::wstring& hotkey) {
    return L"Quillery is running: press " + hotkey +
           L" in any program to open the snippet menu. Its icon is in the notification area, "
           L"where you can change the hotkey.";
}

inline std::wstring AlreadyRunning(const std::wstring& hotkey) {
    return L"Quillery is already running: press " + hotkey +
           L" in any program to open the snippet menu.";
}

inline std::wstring AlreadyRunningHotkeyTaken(const std::wstring& hotkey) {
    return L"Quillery is already running, but another program holds " + hotkey +
           L": choose another hotkey from the Quillery icon's menu.";
}

inline std::wstring WrongArgument(const std::wstring& argument) {
    return L"Quillery does not know the argument \"" + argument +
           L"\".\n\n"
           L"Quillery.exe alone keeps running with its icon and hotkey.\n"
           L"Quillery.exe /menu opens the snippet menu once at the caret and types your choice.\n"
           L"Quillery.exe /quit ends the running Quillery.";
}

// The hotkey's state, as the tooltip and the window's title give it when it does not just work.
inline std::wstring HotkeyWorks(const std::wstring& hotkey) {
    return L"Quillery: press " + hotkey + L" in any program";
}

inline std::wstring HotkeyUsedElsewhere(const std::wstring& hotkey) {
    return L"Quillery: " + hotkey + L" is used by another program";
}

// After HotkeyUsedElsewhere() in a notice.
inline constexpr const wchar_t* kChooseAnotherHotkey =
    L". Choose another hotkey from the Quillery icon's menu.";

// Without an icon: the window's title gets the suffix, and the user is told how to go on.
inline constexpr const wchar_t* kNoIconSuffix = L" (no icon: the notification area refused it)";

inline std::wstring NoIcon(bool hotkeyWorks, const std::wstring& hotkey) {
    return L"Quillery could not put its icon in the notification area. " +
           (hotkeyWorks ? L"Press " + hotkey + L" in any program to open the snippet menu; "
                        : std::wstring(L"Its hotkey is used by another program; ")) +
           L"\"Quillery.exe /quit\" ends it.";
}

// The icon's menu.
inline constexpr const wchar_t* kMenuOpen = L"&Open the snippet menu";
inline constexpr const wchar_t* kMenuChangeHotkey = L"&Change the hotkey...";
inline constexpr const wchar_t* kMenuStartWithWindows = L"&Start with Windows";
inline constexpr const wchar_t* kMenuExit = L"E&xit";

inline std::wstring HotkeyMenuItem(bool hotkeyWorks, const std::wstring& hotkey) {
    return L"Hotkey: " + hotkey + (hotkeyWorks ? L"" : L" (used by another program)");
}

// What the icon's menu could not do.
inline constexpr const wchar_t* kNotStartingWithWindows =
    L"Quillery could not set itself to start with Windows.";
inline constexpr const wchar_t* kStillStartingWithWindows =
    L"Quillery could not stop starting with Windows.";
inline constexpr const wchar_t* kNewHotkeyNotKept =
    L"Quillery could not keep the new hotkey for the next start.";

// A failure that stopped what the user asked for: `why` says what failed.
inline constexpr const wchar_t* kOutOfMemory = L"the system is out of memory";

inline std::wstring MenuNotOpened(const std::wstring& why) {
    return L"Quillery could not open its menu: " + why + L".";
}

inline std::wstring NotDone(const std::wstring& why) {
    return L"Quillery could not do that: " + why + L".";
}

// When not even that notice could be shown.
inline constexpr const wchar_t* kNotDone = L"Quillery could not do that.";

// The hotkey dialog's refusals, and the parts of a hotkey's name.
inline constexpr const wchar_t* kHotkeyWithoutKey =
    L"Press a key with the modifiers, not a modifier alone.";
inline constexpr const wchar_t* kHotkeyWithoutModifier =
    L"Hold Ctrl or Alt too: a key alone would be taken from every program.";
inline constexpr const wchar_t* kHotkeyTypesOnLayout =
    L"Ctrl+Alt with that key is AltGr on many keyboards, which types characters. "
    L"Choose another.";
inline constexpr const wchar_t* kHotkeyCommonShortcut =
    L"That is a shortcut other programs use, such as copy, paste or switching "
    L"windows. Choose another.";

inline std::wstring HotkeyTaken(const std::wstring& hotkey) {
    return hotkey + L" is used by another program. Choose another.";
}

inline constexpr const wchar_t* kCtrlPlus = L"Ctrl+";
inline constexpr const wchar_t* kShiftPlus = L"Shift+";
inline constexpr const wchar_t* kAltPlus = L"Alt+";
inline constexpr const wchar_t* kWinPlus = L"Win+";
// A key that the keyboard's layout gives no name, by its virtual-key code (wsprintfW).
inline constexpr const wchar_t* kUnnamedKeyFormat = L"key %02X";

// Why a snippet was not typed: NotTyped(why).
inline std::wstring NotTyped(const std::wstring& why) {
    return L"Quillery did not type the snippet: " + why;
}

inline constexpr const wchar_t* kNoProgramHadKeyboard =
    L"no program had the keyboard when the menu was opened.";
inline constexpr const wchar_t* kTargetClosed = L"the window it was for has closed.";
inline constexpr const wchar_t* kKeysStillHeld = L"the keys of the hotkey were still held down.";

inline std::wstring NotBroughtBack(const std::wstring& program) {
    return L"\"" + program + L"\" could not be brought back to the front.";
}

inline std::wstring RunsAsAdministrator(const std::wstring& program) {
    return L"\"" + program +
           L"\" runs as administrator, and Windows lets no program of lower rights "
           L"type into it.";
}

inline std::wstring FocusMovedSinceMenu(const std::wstring& program) {
    return L"\"" + program + L"\" moved its keyboard focus elsewhere since the menu was opened.";
}

inline std::wstring PageChangedSinceMenu(const std::wstring& program) {
    return L"\"" + program + L"\" went to another page since the menu was opened.";
}

inline std::wstring PartlyTyped(std::size_t typed, std::size_t total, const std::wstring& program) {
    return L"Only " + std::to_wstring(typed) + L" of " + std::to_wstring(total) +
           L" characters of the snippet reached \"" + program + L"\": Windows refused the rest.";
}

// A program named by neither its window's title nor its file.
inline constexpr const wchar_t* kUnnamedProgram = L"the program";

} // namespace quillery::messages
