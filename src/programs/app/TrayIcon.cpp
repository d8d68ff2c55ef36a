#include "app/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

namespace quillery::app {
namespace {

constexpr UINT kIconId = 1;

// Copies `text` into a fixed field, cut to fit with its terminating null.
template <std::size_t N> void CopyInto(wchar_t (&field)[N], const std::wstring& text) {
    const std::size_t count = std::min(text.size(), N - 1);
    std::copy_n(text.c_str(), count, field);
    field[count] = L'\0';
}

} // namespace

TrayIcon::TrayIcon(HWND owner, UINT callbackMessage, HICON icon)
    : owner_(owner), callbackMessage_(callbackMessage), icon_(icon) {}

TrayIcon::~TrayIcon() {
    if (added_) {
        NOTIFYICONDATAW data = Data(0);
        Shell_NotifyIconW(NIM_DELETE, &data);
    }
}

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

bool TrayIcon::Add(const std::wstring& tip) {
    tip_ = tip;
    // With version 4 the shell shows the standard tooltip only when asked to (NIF_SHOWTIP).
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_;
    CopyInto(data.szTip, tip_);
    // An icon that the shell still has (the program's own earlier one) is taken away first.
    NOTIFYICONDATAW old = Data(0);
    Shell_NotifyIconW(NIM_DELETE, &old);
    added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (added_) {
        data.uVersion = NOTIFYICON_VERSION_4;
        Shell_NotifyIconW(NIM_SETVERSION, &data);
    }
    return added_;
}

void TrayIcon::SetTip(const std::wstring& tip) {
    tip_ = tip;
    if (added_) {
        NOTIFYICONDATAW data = Data(NIF_TIP | NIF_SHOWTIP);
        CopyInto(data.szTip, tip_);
        Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

bool TrayIcon::Notify(const std::wstring& title, const std::wstring& text, bool warning) {
    if (!added_) {
        return false;
    }
    NOTIFYICONDATAW data = Data(NIF_INFO);
    CopyInto(data.szInfoTitle, title);
    CopyInto(data.szInfo, text);
    data.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

} // namespace quillery::app
