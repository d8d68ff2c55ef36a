#include "quillery/KeyboardInput.h"

namespace quillery::app {
namespace {

constexpr DWORD kPollMs = 10;

bool IsDown(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

INPUT KeyEvent(WORD virtualKey, WORD scan, DWORD flags) {
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
// Start menu.
std::vector<INPUT> MissedReleases(DWORD thread) {
    std::vector<INPUT> events;
    const DWORD ours = GetCurrentThreadId();
    if (thread == 0 || thread == ours || !AttachThreadInput(ours, thread, TRUE)) {
        return events;
    }
    constexpr WORD kMaskKey = 0xE8; // unassigned
    for (const WORD key :
         {VK_LCONTROL, VK_RCONTROL, VK_LSHIFT, VK_RSHIFT, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN}) {
        if ((GetKeyState(key) & 0x8000) == 0 || IsDown(key)) {
            continue;
        }
        if (key == VK_LMENU || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN) {
            events.push_back(KeyEvent(kMaskKey, 0, 0));
            events.push_back(KeyEvent(kMaskKey, 0, KEYEVENTF_KEYUP));
        }
        const auto scan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        const DWORD extended =
            key == VK_RCONTROL || key == VK_RMENU || key == VK_LWIN || key == VK_RWIN
                ? KEYEVENTF_EXTENDEDKEY
                : 0;
        events.push_back(KeyEvent(key, scan, KEYEVENTF_KEYUP | extended));
    }
    AttachThreadInput(ours, thread, FALSE);
    return events;
}

} // namespace

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
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

std::size_t TypeStrokes(const std::vector<resident::KeyStroke>& strokes, DWORD targetThread) {
    if (strokes.empty()) {
        return 0;
    }
    std::vector<INPUT> events = MissedReleases(targetThread);
    const std::size_t before = events.size();
    const auto enterScan = static_cast<WORD>(MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC));
    events.reserve(before + strokes.size() * 2);
    for (const resident::KeyStroke& stroke : strokes) {
        if (stroke.kind == resident::KeyStroke::Kind::Enter) {
            events.push_back(KeyEvent(VK_RETURN, enterScan, 0));
            events.push_back(KeyEvent(VK_RETURN, enterScan, KEYEVENTF_KEYUP));
        } else {
            const auto unit = static_cast<WORD>(stroke.unit);
            events.push_back(KeyEvent(0, unit, KEYEVENTF_UNICODE));
            events.push_back(KeyEvent(0, unit, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
        }
    }
    const UINT sent = SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    return sent > before ? (sent - before) / 2 : 0;
}

} // namespace quillery::app
