#include "app/HotkeyDialog.h"

#include "app/resource.h"
#include "messages/ResidentMessages.h"
#include "winapi/Win32Boundary.h"

#include <commctrl.h>

#include <exception>

namespace quillery::app {
namespace {

using resident::Hotkey;
using resident::HotkeyFault;

struct DialogState {
    Hotkey current;
    const std::function<std::wstring(const Hotkey&)>* take;
    std::optional<Hotkey> taken;
    std::exception_ptr failure; // what ended the dialog, carried on to AskForHotkey's caller
};

// The keys whose scan code needs the extended bit to be told from the number pad's.
bool IsExtended(UINT key) {
    switch (key) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_DIVIDE:
    case VK_NUMLOCK:
        return true;
    default:
        return false;
    }
}

// The hotkey control's modifier bits, and the hotkey's.
constexpr std::pair<WORD, std::uint32_t> kControlModifiers[] = {
    {HOTKEYF_SHIFT, resident::kShift},
    {HOTKEYF_CONTROL, resident::kControl},
    {HOTKEYF_ALT, resident::kAlt},
};

Hotkey FromControl(LRESULT value) {
    Hotkey hotkey{0, static_cast<std::uint32_t>(LOBYTE(LOWORD(value)))};
    const WORD flags = HIBYTE(LOWORD(value));
    for (const auto& [control, modifier] : kControlModifiers) {
        if (flags & control) {
            hotkey.modifiers |= modifier;
        }
    }
    return hotkey;
}

WPARAM ToControl(const Hotkey& hotkey) {
    WORD flags = IsExtended(hotkey.key) ? HOTKEYF_EXT : 0;
    for (const auto& [control, modifier] : kControlModifiers) {
        if (hotkey.modifiers & modifier) {
            flags |= control;
        }
    }
    return MAKEWORD(static_cast<BYTE>(hotkey.key), flags);
}

std::wstring FaultText(HotkeyFault fault) {
    switch (fault) {
    case HotkeyFault::NoKey:
        return messages::kHotkeyWithoutKey;
    case HotkeyFault::NoModifier:
        return messages::kHotkeyWithoutModifier;
    case HotkeyFault::TypesOnLayout:
        return messages::kHotkeyTypesOnLayout;
    case HotkeyFault::CommonShortcut:
        return messages::kHotkeyCommonShortcut;
    case HotkeyFault::Usable:
        break;
    }
    return {};
}

INT_PTR Answer(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        HWND control = GetDlgItem(dialog, IDC_HOTKEY);
        // A key alone or with Shift alone becomes Ctrl+Shift with it.
        SendMessageW(control, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                     MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_SHIFT, 0));
        SendMessageW(control, HKM_SETHOTKEY, ToControl(state->current), 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && state != nullptr) {
            const Hotkey chosen =
                FromControl(SendDlgItemMessageW(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
            std::wstring problem = FaultText(resident::CheckHotkey(chosen));
            if (problem.empty()) {
                problem = (*state->take)(chosen);
            }
            if (!problem.empty()) {
                SetDlgItemTextW(dialog, IDC_HOTKEY_PROBLEM, problem.c_str());
                SetFocus(GetDlgItem(dialog, IDC_HOTKEY));
                return TRUE;
            }
            state->taken = chosen;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

// A failure (no memory for the problem's text) ends the dialog as a cancel would, and goes on
// from AskForHotkey to its caller, whose boundary tells the user.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return win32::WindowMessage([&] { return Answer(dialog, message, wParam, lParam); },
                                [dialog]() -> INT_PTR {
                                    if (auto* state = reinterpret_cast<DialogState*>(
                                            GetWindowLongPtrW(dialog, DWLP_USER))) {
                                        state->failure = std::current_exception();
                                    }
                                    EndDialog(dialog, IDCANCEL);
                                    return TRUE;
                                });
}

} // namespace

std::wstring KeyName(UINT virtualKey) {
    LONG scan = static_cast<LONG>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    if (IsExtended(virtualKey)) {
        scan |= 1L << 24;
    }
    wchar_t name[64] = L"";
    if (scan != 0 && GetKeyNameTextW(scan, name, 64) > 0) {
        return name;
    }
    wchar_t code[16];
    wsprintfW(code, messages::kUnnamedKeyFormat, virtualKey);
    return code;
}

std::wstring HotkeyName(const resident::Hotkey& hotkey) {
    return resident::HotkeyText(hotkey, KeyName(hotkey.key));
}

std::optional<Hotkey> AskForHotkey(HWND owner, const Hotkey& current,
                                   const std::function<std::wstring(const Hotkey&)>& take) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&controls);
    DialogState state{current, &take, std::nullopt, nullptr};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HOTKEY), owner, &DialogProc,
                    reinterpret_cast<LPARAM>(&state));
    if (state.failure) {
        std::rethrow_exception(state.failure);
    }
    return state.taken;
}

} // namespace quillery::app
