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

std::size_t TypeStrokes(const std::vector<resident::KeyStroke>& strokes) {
    if (strokes.empty()) {
        return 0;
    }
    const auto enterScan = static_cast<WORD>(MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC));
    std::vector<INPUT> events;
    events.reserve(strokes.size() * 2);
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
    return sent / 2;
}

} // namespace quillery::app
