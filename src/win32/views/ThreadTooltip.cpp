#include "win32/views/ThreadTooltip.h"

#include <commctrl.h>

namespace quillery::win32 {
namespace {

thread_local HWND t_tooltip = nullptr;

// A kept control may outlive this DLL, and with it the DLL's hold on the common controls: the
// control's code must stay loaded for as long as the process lives.
void KeepCommonControlsLoaded() {
    static const bool kept = [] {
        HMODULE controls = nullptr;
        return GetModuleHandleExW(
                   GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                   reinterpret_cast<LPCWSTR>(&InitCommonControlsEx), &controls) != FALSE;
    }();
    (void)kept;
}

} // namespace

HWND ThreadTooltip(HINSTANCE instance) {
    if (t_tooltip != nullptr && IsWindow(t_tooltip)) {
        return t_tooltip;
    }
    KeepCommonControlsLoaded();
    t_tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (t_tooltip != nullptr) {
        SendMessageW(t_tooltip, TTM_SETMAXTIPWIDTH, 0, 400); // a preview may hold line breaks
    }
    return t_tooltip;
}

void DestroyThreadTooltip() noexcept {
    if (t_tooltip != nullptr) {
        DestroyWindow(t_tooltip);
        t_tooltip = nullptr;
    }
}

} // namespace quillery::win32
