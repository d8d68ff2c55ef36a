#pragma once

#include "app/CaretMenu.h"
#include "app/TrayIcon.h"
#include "app/UserSettings.h"
#include "forms/RequestWindows.h"
#include "resident/Hotkey.h"
#include "toolkit/NativeWindow.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quillery::app {

// The class of the resident program's hidden window. Another start finds the running
// instance by it and by its process (FindRunningInstance); its title is the icon's tooltip,
// which says whether the hotkey works.
inline constexpr wchar_t kResidentClass[] = L"QuilleryResident";

// What another start of the program asks the running instance (the registered message
// ResidentRequestMessage(), with one of these as wParam).
enum class ResidentRequest : WPARAM { StartedAgain = 1, Quit = 2 };
UINT ResidentRequestMessage() noexcept;

// The commands of the icon's menu, also accepted as WM_COMMAND by the window.
enum ResidentCommandId : WORD {
    kOpenMenu = 1,
    kChangeHotkey = 2,
    kStartWithWindows = 3,
    kExit = 4,
};

// The resident program: a hidden window that owns the notification-area icon and the hotkey.
// The hotkey opens the snippet menu for the focused program at its caret and types the choice
// there; the icon's menu opens it for the program that was in front before, changes the
// hotkey, starts the program with Windows or ends it. Runs on the thread that made it, which
// needs COM and the Win32 platform. The window is a toolkit window, whose request to close
// ends the program; a failure that stops a message is told from the icon.
class Resident : private ClosableWindow, private win32::NativeWindow {
public:
    // `platform`: the program's, which its menus run on. `nameTaken`: another program holds the
    // name that keeps one instance, which the start then says.
    Resident(HINSTANCE instance, Platform& platform, bool nameTaken);
    ~Resident() override;
    Resident(const Resident&) = delete;
    Resident& operator=(const Resident&) = delete;

    // Dispatches the thread's messages until Exit or /quit; the program's exit status.
    int Run();

private:
    // The foreground hook, which has no context of its own: called on this thread, it finds
    // the Resident through this thread's resident window.
    static void CALLBACK OnForegroundChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object,
                                             LONG child, DWORD, DWORD);

    // ClosableWindow: the window system's request to close the window (WM_CLOSE).
    bool IsOpen() const override { return window_ != nullptr; }
    void Close() noexcept override;
    // NativeWindow: each message to its handler.
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void HandleFailed(const CaughtFailure& failure) noexcept override;

    void OnHotkey();
    void OnIconEvent(UINT event, POINT at);
    void OnRequest(ResidentRequest request);

    // Registers `hotkey_`; says so in the tooltip, and in a notification when `tell` and another
    // program has it. Whether it was registered.
    bool TakeHotkey(bool tell);
    // What the hotkey does, or that another program has it.
    std::wstring Status() const;
    // The tooltip and the window's title: "Quillery", or what is wrong with the hotkey.
    std::wstring Tip() const;
    void ShowStatus();
    void AddIcon();
    void Notify(const Notice& notice);
    void OpenMenuFromHotkey();
    void OpenMenuFromIcon();
    void OpenMenu(const std::optional<TypingTarget>& target, const MenuOpening& opening,
                  UINT hotkeyKey);
    void ShowIconMenu(POINT at);
    void Command(WORD command);
    void ChangeHotkey();
    void Quit();

    HINSTANCE instance_;
    Platform& platform_;
    UINT taskbarCreated_;
    UserSettings settings_;
    std::wstring program_; // this program's file, for the Run key
    resident::Hotkey hotkey_;
    bool hotkeyTaken_ = false; // registered by this program
    // A menu or the hotkey's dialog runs its own loop on this thread: nothing else starts then.
    enum class Busy { No, Menu, Dialog } busy_ = Busy::No;
    bool quitAfterMenu_ = false;
    HWND lastForeground_ = nullptr; // the last window of another program reported in front
    win32::UniqueWinEventHook foregroundHook_;
    win32::UniqueAny<win32::resource_traits::NullIsEmpty<HICON, &::DestroyIcon>> icon_;
    std::optional<TrayIcon> tray_; // goes before the window it names, the base's
};

} // namespace quillery::app
