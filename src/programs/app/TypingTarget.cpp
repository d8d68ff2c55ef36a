#include "app/TypingTarget.h"

#include "messages/ResidentMessages.h"
#include "resident/TargetChecks.h"
#include "winapi/InputAttachment.h"
#include "winapi/MessagePump.h"
#include "winapi/UniqueResource.h"

#include <oleacc.h>

#include <vector>

namespace quillery::app {
namespace {

constexpr DWORD kForegroundLimitMs = 2000;

std::optional<PixelRect> SystemCaret(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndCaret == nullptr) {
        return std::nullopt;
    }
    RECT caret = info.rcCaret;
    MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
    return PixelRect{caret.left, caret.top, caret.right, caret.bottom};
}

std::optional<PixelRect> AccessibleCaret(HWND window) {
    win32::UniqueCom<IAccessible> caret;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CARET), IID_IAccessible,
                                          reinterpret_cast<void**>(caret.put())))) {
        return std::nullopt;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    long left = 0;
    long top = 0;
    long width = 0;
    long height = 0;
    if (caret.get()->accLocation(&left, &top, &width, &height, self) != S_OK) {
        return std::nullopt;
    }
    return PixelRect{left, top, left + width, top + height};
}

GUITHREADINFO InfoOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) ? info : GUITHREADINFO{};
}

// The control of the target's thread that has the keyboard focus; null when none has.
HWND FocusOf(DWORD thread) {
    return InfoOf(thread).hwndFocus;
}

// Waits (for a bounded time) until the target's thread has taken the activation that the
// foreground brings, and has handled what it was sent until then: a program puts its focus
// where it wants it as it is activated, and its focus is read only after that.
void LetTargetSettle(const TypingTarget& target) {
    const DWORD start = GetTickCount();
    while (InfoOf(target.thread).hwndActive != target.window &&
           GetTickCount() - start < kForegroundLimitMs && IsWindow(target.window)) {
        win32::PumpMessages(win32::kMessagePollMs);
    }
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(target.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kForegroundLimitMs,
                        &ignored);
}

std::wstring TitleOf(HWND window) {
    std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(static_cast<std::size_t>(
        GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
    return title;
}

// The last sub-authority of the integrity label of `process`'s token; nothing when the process
// cannot be asked.
std::optional<std::uint32_t> IntegrityLevelOf(HANDLE process) {
    win32::UniqueHandle token;
    if (process == nullptr || !OpenProcessToken(process, TOKEN_QUERY, token.put())) {
        return std::nullopt;
    }
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size < sizeof(TOKEN_MANDATORY_LABEL)) {
        return std::nullopt;
    }
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size)) {
        return std::nullopt;
    }
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (count == 0) {
        return std::nullopt;
    }
    return *GetSidSubAuthority(sid, count - 1U);
}

} // namespace

std::optional<TypingTarget> TargetOf(HWND window) {
    window = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
    if (window == nullptr || !IsWindow(window)) {
        return std::nullopt;
    }
    TypingTarget target;
    target.window = window;
    target.thread = GetWindowThreadProcessId(window, &target.process);
    if (target.thread == 0 || target.process == GetCurrentProcessId()) {
        return std::nullopt;
    }
    target.focus = FocusOf(target.thread);
    target.title = TitleOf(window);
    return target;
}

FocusedProgram FindFocusedProgram() {
    FocusedProgram found;
    found.target = TargetOf(GetForegroundWindow());
    if (!found.target) {
        return found;
    }
    found.caret.system = SystemCaret(found.target->thread);
    if (!found.caret.system) {
        HWND focus = found.target->focus != nullptr ? found.target->focus : found.target->window;
        found.caret.accessible = AccessibleCaret(focus);
    }
    return found;
}

bool GiveForegroundBack(const TypingTarget& target) {
    if (!IsWindow(target.window)) {
        return false;
    }
    // Asked again while waiting: a window system that reports the menu's loss of the keyboard
    // late (Wine's, from the display) may take the foreground away once more meanwhile.
    const DWORD start = GetTickCount();
    SetForegroundWindow(target.window);
    while (GetForegroundWindow() != target.window) {
        if (GetTickCount() - start > kForegroundLimitMs || !IsWindow(target.window)) {
            return false;
        }
        win32::PumpMessages(win32::kMessagePollMs);
        SetForegroundWindow(target.window);
    }
    // A program that does not put the focus back on the control it had when it is activated
    // again (the default window procedure focuses the top-level window) gets it put back. One
    // that has put it on another control chose so: ChangeSinceMenu() tells.
    LetTargetSettle(target);
    const HWND focus = FocusOf(target.thread);
    if (target.focus != nullptr && IsWindow(target.focus) &&
        (focus == nullptr || focus == target.window)) {
        if (const win32::InputAttachment joined(target.thread); joined.Attached()) {
            SetFocus(target.focus);
        }
    }
    return true;
}

TargetChange ChangeSinceMenu(const TypingTarget& target) {
    LetTargetSettle(target);
    if (target.focus != nullptr && FocusOf(target.thread) != target.focus) {
        return TargetChange::FocusMoved;
    }
    wchar_t windowClass[64] = L"";
    if (GetClassNameW(target.window, windowClass, 64) > 0 &&
        resident::IsBrowserWindowClass(windowClass) && TitleOf(target.window) != target.title) {
        return TargetChange::PageChanged;
    }
    return TargetChange::None;
}

bool RunsAboveUs(const TypingTarget& target) {
    const win32::UniqueHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.process));
    return resident::RunsAbove(IntegrityLevelOf(process.get()),
                               IntegrityLevelOf(GetCurrentProcess()));
}

std::wstring ProgramName(const TypingTarget& target) {
    if (std::wstring title = resident::ShownTitle(target.title); !title.empty()) {
        return title;
    }
    const win32::UniqueHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.process));
    wchar_t path[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    if (process && QueryFullProcessImageNameW(process.get(), 0, path, &size)) {
        const std::wstring_view full(path, size);
        if (std::wstring file = resident::ShownTitle(full.substr(full.find_last_of(L"\\/") + 1));
            !file.empty()) {
            return file;
        }
    }
    return messages::kUnnamedProgram;
}

} // namespace quillery::app
