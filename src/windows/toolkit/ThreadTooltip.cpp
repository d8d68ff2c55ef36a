#include "toolkit/ThreadTooltip.h"

#include "winapi/ThreadLocalValue.h"

#include <commctrl.h>

namespace quillery::win32 {
namespace {

// Each thread's control, in a TLS slot that the DLL gives back as it unloads.
const ThreadLocalValue<HWND> g_tooltips;

// A kept control may outlive this DLL, and with it the DLL's hold on the common controls: the
// control's code must stay loaded for as long as the process lives. Pinning again is harmless.
void KeepCommonControlsLoaded() noexcept {
    HMODULE controls = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&InitCommonControlsEx), &controls);
}

} // namespace

HWND ThreadTooltip(HINSTANCE instance) noexcept {
    HWND tooltip = g_tooltips.Get();
    if (tooltip != nullptr && IsWindow(tooltip)) {
        return tooltip;
    }
    KeepCommonControlsLoaded();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES}; // the tooltip's class
    InitCommonControlsEx(&controls);
    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (tooltip != nullptr) {
        SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400); // a preview may hold line breaks
    }
    g_tooltips.Set(tooltip);
    return tooltip;
}

void DestroyThreadTooltip() noexcept {
    if (HWND tooltip = g_tooltips.Get()) {
        DestroyWindow(tooltip);
        g_tooltips.Set(nullptr);
    }
}

} // namespace quillery::win32
