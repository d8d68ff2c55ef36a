#include "app/KeyboardInput.h"

#include "winapi/InputAttachment.h"
#include "winapi/MessagePump.h"

#include <algorithm>

namespace quillery::app {
namespace {

// ToUnicodeEx's flag that leaves the keyboard state as it was (Windows 10 1607 and later).
constexpr UINT kKeepKeyboardState = 0x4;

bool IsDown(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

INPUT KeyInput(WORD virtualKey, WORD scan, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

// The key-up events of the modifiers that `thread`'s input state still holds down while the
// keyboard has them up: their releases went to another thread's window (the menu's, which had
// the keyboard when the user let go of the hotkey). A system that brings a thread's key state
// up to date as it comes to the front needs none. Alt and the Windows keys are released after
// an unassigned key, so that their release alone opens neither the program's menu bar nor the
// Start menu. `capsLock` gets whether CapsLock is on for the thread.
std::vector<INPUT> MissedReleases(DWORD thread, bool& capsLock) {
    std::vector<INPUT> events;
    capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    const win32::InputAttachment joined(thread);
    if (!joined.Attached()) {
        return events;
    }
    capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    constexpr WORD kMaskKey = 0xE8; // unassigned
    for (const WORD key :
         {VK_LCONTROL, VK_RCONTROL, VK_LSHIFT, VK_RSHIFT, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN}) {
        if ((GetKeyState(key) & 0x8000) == 0 || IsDown(key)) {
            continue;
        }
        if (key == VK_LMENU || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN) {
            events.push_back(KeyInput(kMaskKey, 0, 0));
            events.push_back(KeyInput(kMaskKey, 0, KEYEVENTF_KEYUP));
        }
        const auto scan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        const DWORD extended =
            key == VK_RCONTROL || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN
                ? KEYEVENTF_EXTENDEDKEY
                : 0;
        events.push_back(KeyInput(key, scan, KEYEVENTF_KEYUP | extended));
    }
    return events;
}

// The character that `key` types on `layout` with its modifiers and CapsLock as given, when it
// types one by itself: none for a dead key, whose accent waits for the next key.
std::optional<wchar_t> CharacterOf(const resident::LayoutKey& key, bool capsLock, HKL layout) {
    BYTE state[256] = {};
    const auto hold = [&](std::uint8_t held, int either, int left) {
        if ((key.modifiers & held) != 0) {
            state[either] = state[left] = 0x80;
        }
    };
    hold(resident::kShiftHeld, VK_SHIFT, VK_LSHIFT);
    hold(resident::kCtrlHeld, VK_CONTROL, VK_LCONTROL);
    hold(resident::kAltHeld, VK_MENU, VK_LMENU);
    state[VK_CAPITAL] = capsLock ? 1 : 0;
    const UINT scan = MapVirtualKeyExW(key.virtualKey, MAPVK_VK_TO_VSC, layout);
    wchar_t typed[4] = {};
    const int count =
        ToUnicodeEx(key.virtualKey, scan, state, typed, 4, kKeepKeyboardState, layout);
    if (count < 0) {
        // A system without the flag keeps the dead key's accent for this thread; the same key
        // again types it and clears it.
        ToUnicodeEx(key.virtualKey, scan, state, typed, 4, kKeepKeyboardState, layout);
        return std::nullopt;
    }
    return count == 1 ? std::optional(typed[0]) : std::nullopt;
}

INPUT InputOf(const resident::KeyEvent& event, HKL layout) {
    const DWORD up = event.up ? KEYEVENTF_KEYUP : 0;
    if (event.kind == resident::KeyEvent::Kind::Packet) {
        return KeyInput(0, event.code, KEYEVENTF_UNICODE | up);
    }
    return KeyInput(event.code,
                    static_cast<WORD>(MapVirtualKeyExW(event.code, MAPVK_VK_TO_VSC, layout)), up);
}

bool TakesOnlyKeys(HWND window) {
    wchar_t name[64] = L"";
    return window != nullptr && GetClassNameW(window, name, 64) > 0 &&
           resident::TakesOnlyKeys(name);
}

} // namespace

resident::KeyboardLayout LayoutAsItTypes(HKL layout, bool capsLock) {
    return [layout, capsLock](char16_t unit) -> std::optional<resident::LayoutKey> {
        const SHORT found = VkKeyScanExW(static_cast<WCHAR>(unit), layout);
        if (found == -1) {
            return std::nullopt;
        }
        resident::LayoutKey key{LOBYTE(found), HIBYTE(found)};
        if (CharacterOf(key, capsLock, layout) == static_cast<wchar_t>(unit)) {
            return key;
        }
        key.modifiers ^= resident::kShiftHeld;
        if (capsLock && CharacterOf(key, capsLock, layout) == static_cast<wchar_t>(unit)) {
            return key;
        }
        return std::nullopt;
    };
}

bool WaitUntilKeysReleased(UINT key, DWORD limitMs) {
    const int keys[] = {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN, static_cast<int>(key)};
    const DWORD start = GetTickCount();
    for (;;) {
        bool held = false;
        for (int each : keys) {
            held = held || (each != 0 && IsDown(each));
        }
        if (!held) {
            return true;
        }
        if (GetTickCount() - start >= limitMs) {
            return false;
        }
        if (!win32::PumpMessages(win32::kMessagePollMs)) {
            return false;
        }
    }
}

std::size_t TypeStrokes(const std::vector<resident::KeyStroke>& strokes, DWORD targetThread,
                        HWND targetWindow) {
    if (strokes.empty()) {
        return 0;
    }
    bool capsLock = false;
    std::vector<INPUT> events = MissedReleases(targetThread, capsLock);
    HKL layout = GetKeyboardLayout(targetThread);
    if (layout == nullptr) {
        layout = GetKeyboardLayout(0); // the target's thread has ended: this one's gives scan codes
    }
    const resident::KeyboardLayout keys =
        TakesOnlyKeys(targetWindow) ? LayoutAsItTypes(layout, capsLock) : nullptr;
    // Where each stroke's events end, to tell how many strokes went whole.
    std::vector<std::size_t> strokeEnds;
    strokeEnds.reserve(strokes.size());
    for (const resident::KeyStroke& stroke : strokes) {
        for (const resident::KeyEvent& event : resident::KeyEventsFor(stroke, keys)) {
            events.push_back(InputOf(event, layout));
        }
        strokeEnds.push_back(events.size());
    }
    const UINT sent = SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    return static_cast<std::size_t>(std::count_if(strokeEnds.begin(), strokeEnds.end(),
                                                  [&](std::size_t end) { return end <= sent; }));
}

} // namespace quillery::app
