#include "app/Resident.h"

#include "app/HotkeyDialog.h"
#include "app/WindowStack.h"
#include "app/resource.h"
#include "base/Attempt.h"
#include "base/ScopeExit.h"
#include "menuwindows/SnippetMenuWindows.h"
#include "messages/ResidentMessages.h"
#include "resident/FailureNotice.h"
#include "resident/StartNotice.h"
#include "win32/Win32SystemInfo.h"

#include <windowsx.h>

namespace quillery::app {
namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr int kHotkeyId = 1;
constexpr DWORD kAskLimitMs = 1000; // a menu of this thread answers at once

UINT ModifiersForRegistration(const resident::Hotkey& hotkey) {
    // MOD_NOREPEAT: a key held down opens one menu, not one per repeat (Windows 7 and later).
    return hotkey.modifiers | MOD_NOREPEAT;
}

// This thread's resident window; null when it has none (yet, or any more).
HWND ResidentWindowOfThisThread() {
    for (HWND window = FindWindowExW(nullptr, nullptr, kResidentClass, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, kResidentClass, nullptr)) {
        if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
            return window;
        }
    }
    return nullptr;
}

} // namespace

UINT ResidentRequestMessage() noexcept {
    static const UINT message = RegisterWindowMessageW(L"Quillery.ResidentRequest");
    return message;
}

Resident::Resident(HINSTANCE instance, Platform& platform, bool nameTaken)
    : NativeWindow(static_cast<ClosableWindow&>(*this)), instance_(instance), platform_(platform),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      program_(win32::Win32SystemInfo(nullptr).ModulePath()), hotkey_(settings_.Hotkey()) {
    icon_.reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_QUILLERY), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0)));
    // A hidden top-level window rather than a message-only one: only top-level windows hear the
    // shell's TaskbarCreated broadcast.
    if (!Attempt([&] {
            Create(instance_, kResidentClass, nullptr, messages::kProductName, WS_POPUP,
                   WS_EX_TOOLWINDOW);
        })) {
        return; // without a window: Run() says so
    }
    tray_.emplace(window_, kTrayMessage, icon_.get());
    foregroundHook_.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                          &OnForegroundChanged, 0, 0,
                                          WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    lastForeground_ = GetForegroundWindow();
    TakeHotkey(/*tell=*/false);
    AddIcon();
    const std::wstring nameTakenText = nameTaken ? messages::kNameTaken : L"";
    // The introduction waits for a start that has nothing else to say.
    switch (resident::NoticeAtStart(settings_.Introduced() || nameTaken, hotkeyTaken_,
                                    tray_->Added())) {
    case resident::StartNotice::HotkeyTaken:
        Notify(
            {Status() + messages::kChooseAnotherHotkey + (nameTaken ? L" " + nameTakenText : L""),
             true});
        break;
    case resident::StartNotice::Introduction:
        // Once per user, and only once the shell has it: the starts at each logon stay quiet.
        if (tray_->Notify(messages::kProductName, resident::IntroductionText(HotkeyName(hotkey_)),
                          false)) {
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
    foregroundHook_.reset();
    if (window_ != nullptr && hotkeyTaken_) {
        UnregisterHotKey(window_, kHotkeyId);
    }
    tray_.reset();
}

int Resident::Run() {
    if (window_ == nullptr) {
        MessageBoxW(nullptr, messages::kNoWindowToStart, messages::kProductName, MB_ICONERROR);
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

void CALLBACK Resident::OnForegroundChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object,
                                            LONG child, DWORD, DWORD) {
    if (window == nullptr || object != OBJID_WINDOW || child != CHILDID_SELF ||
        IsShellWindow(window)) {
        return;
    }
    if (NativeWindow* bound = BoundTo(ResidentWindowOfThisThread())) {
        static_cast<Resident*>(bound)->lastForeground_ = window;
    }
}

void Resident::Close() noexcept {
    try {
        Quit();
    } catch (...) {
        HandleFailed(CurrentFailure());
    }
}

LRESULT Resident::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == kHotkeyId) {
        OnHotkey();
    } else if (message == kTrayMessage) {
        OnIconEvent(LOWORD(lParam), POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
    } else if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        AddIcon(); // the shell started again, without the icon it had
    } else if (message == ResidentRequestMessage()) {
        OnRequest(static_cast<ResidentRequest>(wParam));
    } else if (message == WM_COMMAND) {
        Command(LOWORD(wParam));
    } else if (message == WM_ENDSESSION) {
        if (wParam) {
            Quit();
        }
    } else {
        return DefWindowProcW(window_, message, wParam, lParam);
    }
    return 0;
}

void Resident::HandleFailed(const CaughtFailure& failure) noexcept {
    try {
        Notify({resident::FailureNotice(failure), true});
    } catch (...) {
        MessageBoxW(nullptr, messages::kNotDone, messages::kProductName, MB_OK | MB_ICONERROR);
    }
}

void Resident::OnHotkey() {
    // Any program may post the message: only the user's own press, with the keys still down as
    // it is handled, opens the menu.
    if (resident::HotkeyHeld(hotkey_, [](std::uint32_t key) {
            return (GetAsyncKeyState(static_cast<int>(key)) & 0x8000) != 0;
        })) {
        OpenMenuFromHotkey();
    }
}

void Resident::OnIconEvent(UINT event, POINT at) {
    switch (event) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
        OpenMenuFromIcon();
        break;
    case WM_CONTEXTMENU:
        ShowIconMenu(at);
        break;
    default:
        break;
    }
}

void Resident::OnRequest(ResidentRequest request) {
    if (request == ResidentRequest::Quit) {
        Quit();
    } else if (request == ResidentRequest::StartedAgain) {
        Notify({hotkeyTaken_ ? messages::AlreadyRunning(HotkeyName(hotkey_))
                             : messages::AlreadyRunningHotkeyTaken(HotkeyName(hotkey_)),
                !hotkeyTaken_});
    }
}

bool Resident::TakeHotkey(bool tell) {
    if (hotkeyTaken_) {
        UnregisterHotKey(window_, kHotkeyId);
    }
    hotkeyTaken_ =
        RegisterHotKey(window_, kHotkeyId, ModifiersForRegistration(hotkey_), hotkey_.key) != FALSE;
    ShowStatus();
    if (!hotkeyTaken_ && tell) {
        Notify({Status() + messages::kChooseAnotherHotkey, true});
    }
    return hotkeyTaken_;
}

std::wstring Resident::Status() const {
    const std::wstring name = HotkeyName(hotkey_);
    return hotkeyTaken_ ? messages::HotkeyWorks(name) : messages::HotkeyUsedElsewhere(name);
}

void Resident::ShowStatus() {
    const std::wstring tip = Tip();
    SetWindowTextW(window_, tip.c_str());
    if (tray_) {
        tray_->SetTip(tip);
    }
}

std::wstring Resident::Tip() const {
    return hotkeyTaken_ ? std::wstring(messages::kProductName) : Status();
}

void Resident::AddIcon() {
    if (tray_ && !tray_->Add(Tip())) {
        // The program keeps working through its hotkey, and /quit ends it; notifications
        // become message boxes, this one first.
        SetWindowTextW(window_, (Tip() + messages::kNoIconSuffix).c_str());
        Notify({messages::NoIcon(hotkeyTaken_, HotkeyName(hotkey_)), true});
    }
}

void Resident::Notify(const Notice& notice) {
    if (tray_ && tray_->Notify(messages::kProductName, notice.text, notice.warning)) {
        return;
    }
    // Without an icon a notification has nowhere to show: the message must still reach the
    // user, and a box shown here keeps the thread's messages running.
    MessageBoxW(nullptr, notice.text.c_str(), messages::kProductName,
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
    const std::wstring hotkey = messages::HotkeyMenuItem(hotkeyTaken_, HotkeyName(hotkey_));
    const UINT startsWithWindows =
        settings_.StartsWithWindows(program_) ? MF_CHECKED : MF_UNCHECKED;
    AppendMenuW(menu.get(), MF_STRING, kOpenMenu, messages::kMenuOpen);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, hotkey.c_str());
    AppendMenuW(menu.get(), MF_STRING, kChangeHotkey, messages::kMenuChangeHotkey);
    AppendMenuW(menu.get(), MF_STRING | startsWithWindows, kStartWithWindows,
                messages::kMenuStartWithWindows);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, kExit, messages::kMenuExit);
    SetMenuDefaultItem(menu.get(), kOpenMenu, FALSE);
    // The menu closes when the user clicks elsewhere only while its owner is in front, and the
    // message after it lets the shell see the menu has gone.
    SetForegroundWindow(window_);
    const auto chosen = static_cast<WORD>(TrackPopupMenuEx(
        menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, window_, nullptr));
    PostMessageW(window_, WM_NULL, 0, 0);
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
            Notify({on ? messages::kNotStartingWithWindows : messages::kStillStartingWithWindows,
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
        if (!RegisterHotKey(window_, kHotkeyId + 1, ModifiersForRegistration(candidate),
                            candidate.key)) {
            return messages::HotkeyTaken(HotkeyName(candidate));
        }
        UnregisterHotKey(window_, kHotkeyId + 1);
        return std::wstring();
    });
    if (!taken || (*taken == before && wasTaken)) {
        return;
    }
    hotkey_ = *taken;
    if (TakeHotkey(/*tell=*/true) && !settings_.SetHotkey(hotkey_)) {
        Notify({messages::kNewHotkeyNotKept, true});
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
