#include "quillery/Resident.h"

#include "base/ScopeExit.h"
#include "quillery/HotkeyDialog.h"
#include "quillery/WindowStack.h"
#include "quillery/resource.h"
#include "resident/StartNotice.h"
#include "win32/SnippetMenuWindows.h"
#include "win32/Win32SystemInfo.h"

#include <windowsx.h>

namespace quillery::app {
namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr int kHotkeyId = 1;
constexpr DWORD kAskLimitMs = 1000; // a menu of this thread answers at once
constexpr wchar_t kTitle[] = L"Quillery";

// The single Resident of the process, for the foreground hook, which has no context of its own.
Resident* g_resident = nullptr;

UINT ModifiersForRegistration(const resident::Hotkey& hotkey) {
    // MOD_NOREPEAT: a key held down opens one menu, not one per repeat (Windows 7 and later).
    return hotkey.modifiers | MOD_NOREPEAT;
}

} // namespace

UINT ResidentRequestMessage() noexcept {
    static const UINT message = RegisterWindowMessageW(L"Quillery.ResidentRequest");
    return message;
}

Resident::Resident(HINSTANCE instance, Platform& platform, bool nameTaken)
    : instance_(instance), platform_(platform),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      program_(win32::Win32SystemInfo(nullptr).ModulePath()), hotkey_(settings_.Hotkey()) {
    g_resident = this;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance_;
    windowClass.lpszClassName = kResidentClass;
    RegisterClassExW(&windowClass);
    icon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_QUILLERY), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0)));
    // A hidden top-level window rather than a message-only one: only top-level windows hear the
    // shell's TaskbarCreated broadcast.
    window_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kResidentClass, kTitle, WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, instance_, this));
    if (!window_) {
        return;
    }
    tray_.emplace(window_.get(), kTrayMessage, icon_.get());
    foregroundHook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                      &OnForegroundChanged, 0, 0,
                                      WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    lastForeground_ = GetForegroundWindow();
    TakeHotkey(/*tell=*/false);
    AddIcon();
    const std::wstring nameTakenText =
        nameTaken ? L"Another program holds the name Quillery uses to run only once, so Quillery "
                    L"started anyway; starting it again may run it twice."
                  : L"";
    // The introduction waits for a start that has nothing else to say.
    switch (resident::NoticeAtStart(settings_.Introduced() || nameTaken, hotkeyTaken_,
                                    tray_->Added())) {
    case resident::StartNotice::HotkeyTaken:
        Notify({Status() + L". Choose another hotkey from the Quillery icon's menu." +
                    (nameTaken ? L" " + nameTakenText : L""),
                true});
        break;
    case resident::StartNotice::Introduction:
        // Once per user, and only once the shell has it: the starts at each logon stay quiet.
        if (tray_->Notify(kTitle, resident::IntroductionText(HotkeyName(hotkey_)), false)) {
            settings_.SetIntroduced();
        }
        break;
    case resident::StartNotice::None:
        if (nameTaken) {
            Notify({nameTakenText, true});
        }
        break;
    }
}

Resident::~Resident() {
    if (foregroundHook_ != nullptr) {
        UnhookWinEvent(foregroundHook_);
    }
    if (window_ && hotkeyTaken_) {
        UnregisterHotKey(window_.get(), kHotkeyId);
    }
    tray_.reset();
    g_resident = nullptr;
}

int Resident::Run() {
    if (!window_) {
        MessageBoxW(nullptr, L"Quillery could not start: its window could not be made.", kTitle,
                    MB_ICONERROR);
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

LRESULT CALLBACK Resident::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(created->lpCreateParams));
    }
    auto* self = reinterpret_cast<Resident*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || !self->window_) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing thrown crosses into the window system.
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        try {
            self->Notify({L"Quillery could not do that: the system is out of memory.", true});
        } catch (...) {
            MessageBoxW(nullptr, L"Quillery could not do that.", kTitle, MB_OK | MB_ICONERROR);
        }
        return 0;
    }
}

void CALLBACK Resident::OnForegroundChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object,
                                            LONG child, DWORD, DWORD) {
    if (g_resident != nullptr && window != nullptr && object == OBJID_WINDOW &&
        child == CHILDID_SELF && !IsShellWindow(window)) {
        g_resident->lastForeground_ = window;
    }
}

LRESULT Resident::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == kHotkeyId) {
        // Any program may post this message: only the user's own press, with the keys still
        // down as it is handled, opens the menu.
        if (resident::HotkeyHeld(hotkey_, [](std::uint32_t key) {
                return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0;
            })) {
            OpenMenuFromHotkey();
        }
        return 0;
    }
    if (message == kTrayMessage) {
        switch (LOWORD(lParam)) {
        case NIN_SELECT:
        case NIN_KEYSELECT:
            OpenMenuFromIcon();
            break;
        case WM_CONTEXTMENU:
            ShowIconMenu(POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
            break;
        default:
            break;
        }
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        AddIcon(); // the shell started again, without the icon it had
        return 0;
    }
    if (message == ResidentRequestMessage()) {
        if (static_cast<ResidentRequest>(wParam) == ResidentRequest::Quit) {
            Quit();
        } else if (static_cast<ResidentRequest>(wParam) == ResidentRequest::StartedAgain) {
            Notify({hotkeyTaken_ ? L"Quillery is already running: press " + HotkeyName(hotkey_) +
                                       L" in any program to open the snippet menu."
                                 : L"Quillery is already running, but another program holds " +
                                       HotkeyName(hotkey_) +
                                       L": choose another hotkey from the Quillery icon's menu.",
                    !hotkeyTaken_});
        }
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        Quit();
        return 0;
    case WM_ENDSESSION:
        if (wParam) {
            Quit();
        }
        return 0;
    default:
        return DefWindowProcW(window_.get(), message, wParam, lParam);
    }
}

bool Resident::TakeHotkey(bool tell) {
    if (hotkeyTaken_) {
        UnregisterHotKey(window_.get(), kHotkeyId);
    }
    hotkeyTaken_ = RegisterHotKey(window_.get(), kHotkeyId, ModifiersForRegistration(hotkey_),
                                  hotkey_.key) != FALSE;
    ShowStatus();
    if (!hotkeyTaken_ && tell) {
        Notify({Status() + L". Choose another hotkey from the Quillery icon's menu.", true});
    }
    return hotkeyTaken_;
}

std::wstring Resident::Status() const {
    const std::wstring name = HotkeyName(hotkey_);
    if (!hotkeyTaken_) {
        return L"Quillery: " + name + L" is used by another program";
    }
    return L"Quillery: press " + name + L" in any program";
}

void Resident::ShowStatus() {
    const std::wstring tip = Tip();
    SetWindowTextW(window_.get(), tip.c_str());
    if (tray_) {
        tray_->SetTip(tip);
    }
}

std::wstring Resident::Tip() const {
    return hotkeyTaken_ ? std::wstring(kTitle) : Status();
}

void Resident::AddIcon() {
    if (tray_ && !tray_->Add(Tip())) {
        // The program keeps working through its hotkey, and /quit ends it; notifications
        // become message boxes, this one first.
        SetWindowTextW(window_.get(),
                       (Tip() + L" (no icon: the notification area refused it)").c_str());
        Notify({L"Quillery could not put its icon in the notification area. " +
                    (hotkeyTaken_ ? L"Press " + HotkeyName(hotkey_) +
                                        L" in any program to open the snippet menu; "
                                  : std::wstring(L"Its hotkey is used by another program; ")) +
                    L"\"Quillery.exe /quit\" ends it.",
                true});
    }
}

void Resident::Notify(const Notice& notice) {
    if (tray_ && tray_->Notify(kTitle, notice.text, notice.warning)) {
        return;
    }
    // Without an icon a notification has nowhere to show: the message must still reach the
    // user, and a box shown here keeps the thread's messages running.
    MessageBoxW(nullptr, notice.text.c_str(), kTitle,
                MB_OK | MB_SETFOREGROUND | (notice.warning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

void Resident::OpenMenuFromHotkey() {
    const FocusedProgram focused = FindFocusedProgram();
    OpenMenu(focused.target, MenuOpening{resident::CaretLine(focused.caret)}, hotkey_.key);
}

void Resident::OpenMenuFromIcon() {
    // The foreground hook alone may hold nothing or a window left since: the windows' order
    // decides (under Wine the hook hears no other process).
    OpenMenu(TargetOf(FormerForegroundWindow(lastForeground_)), MenuOpening{}, 0);
}

void Resident::OpenMenu(const std::optional<TypingTarget>& target, const MenuOpening& opening,
                        UINT hotkeyKey) {
    // One menu at a time from this thread: a hotkey pressed while the menu is open is ignored.
    if (busy_ != Busy::No) {
        return;
    }
    std::optional<Notice> notice;
    {
        busy_ = Busy::Menu;
        const ScopeExit done([this] { busy_ = Busy::No; });
        notice = MenuForProgram(platform_, target, opening, hotkeyKey);
    }
    if (notice) {
        Notify(*notice);
    }
    if (quitAfterMenu_) {
        Quit();
    }
}

void Resident::ShowIconMenu(POINT at) {
    win32::UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    const std::wstring hotkey =
        L"Hotkey: " + HotkeyName(hotkey_) + (hotkeyTaken_ ? L"" : L" (used by another program)");
    const UINT startsWithWindows =
        settings_.StartsWithWindows(program_) ? MF_CHECKED : MF_UNCHECKED;
    AppendMenuW(menu.get(), MF_STRING, kOpenMenu, L"&Open the snippet menu");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, hotkey.c_str());
    AppendMenuW(menu.get(), MF_STRING, kChangeHotkey, L"&Change the hotkey...");
    AppendMenuW(menu.get(), MF_STRING | startsWithWindows, kStartWithWindows,
                L"&Start with Windows");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, kExit, L"E&xit");
    SetMenuDefaultItem(menu.get(), kOpenMenu, FALSE);
    // The menu closes when the user clicks elsewhere only while its owner is in front, and the
    // message after it lets the shell see the menu has gone.
    SetForegroundWindow(window_.get());
    const auto chosen = static_cast<WORD>(
        TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y,
                         window_.get(), nullptr));
    PostMessageW(window_.get(), WM_NULL, 0, 0);
    if (chosen != 0) {
        Command(chosen);
    }
}

void Resident::Command(WORD command) {
    switch (command) {
    case kOpenMenu:
        OpenMenuFromIcon();
        break;
    case kChangeHotkey:
        ChangeHotkey();
        break;
    case kStartWithWindows: {
        const bool on = !settings_.StartsWithWindows(program_);
        if (!settings_.SetStartWithWindows(on, program_)) {
            Notify({on ? L"Quillery could not set itself to start with Windows."
                       : L"Quillery could not stop starting with Windows.",
                    true});
        }
        break;
    }
    case kExit:
        Quit();
        break;
    default:
        break;
    }
}

void Resident::ChangeHotkey() {
    if (busy_ != Busy::No) {
        return;
    }
    const resident::Hotkey before = hotkey_;
    const bool wasTaken = hotkeyTaken_;
    busy_ = Busy::Dialog; // the dialog runs its own loop: no menu meanwhile
    ScopeExit done([this] { busy_ = Busy::No; });
    const auto taken = AskForHotkey(nullptr, hotkey_, [this](const resident::Hotkey& candidate) {
        if (hotkeyTaken_ && candidate == hotkey_) {
            return std::wstring();
        }
        if (!RegisterHotKey(window_.get(), kHotkeyId + 1, ModifiersForRegistration(candidate),
                            candidate.key)) {
            return HotkeyName(candidate) + L" is used by another program. Choose another.";
        }
        UnregisterHotKey(window_.get(), kHotkeyId + 1);
        return std::wstring();
    });
    if (!taken || (*taken == before && wasTaken)) {
        return;
    }
    hotkey_ = *taken;
    if (TakeHotkey(/*tell=*/true) && !settings_.SetHotkey(hotkey_)) {
        Notify({L"Quillery could not keep the new hotkey for the next start.", true});
    }
}

void Resident::Quit() {
    if (busy_ == Busy::Menu) {
        // The open menu closes without a choice, and its end quits.
        quitAfterMenu_ = true;
        // The menu is this thread's: it takes the request at once, whatever the limit.
        win32::AskToClose(win32::FindSnippetMenus(GetCurrentThreadId()), kAskLimitMs);
        return;
    }
    // The hotkey's dialog, if open, ends with the quit as a dialog does.
    tray_.reset();
    PostQuitMessage(0);
}

} // namespace quillery::app
