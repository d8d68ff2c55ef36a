#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace quillery::app {

// The program's icon in the notification area (version 4 of the interface): its tooltip, and
// notifications shown from it. Its events come to `owner` as `callbackMessage`, the event in
// the low word of lParam and the place in wParam. Removed when the object goes.
class TrayIcon {
public:
    TrayIcon(HWND owner, UINT callbackMessage, HICON icon);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon with the tooltip `tip` (after the shell has started again too, when the
    // icon it had is gone). Whether the shell took it.
    bool Add(const std::wstring& tip);
    bool Added() const { return added_; }
    // Changes the tooltip; the icon keeps it when it is added again.
    void SetTip(const std::wstring& tip);
    // Shows a notification with a title and a text from the icon; a warning has the warning
    // sign. Whether the shell took it (never where the icon could not be added).
    bool Notify(const std::wstring& title, const std::wstring& text, bool warning);

private:
    NOTIFYICONDATAW Data(UINT flags) const;

    HWND owner_;
    UINT callbackMessage_;
    HICON icon_;
    std::wstring tip_;
    bool added_ = false;
};

} // namespace quillery::app
