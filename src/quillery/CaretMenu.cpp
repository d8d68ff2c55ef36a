#include "quillery/CaretMenu.h"

#include "base/Failure.h"
#include "menu/MenuRequest.h"
#include "platform/Platform.h"
#include "quillery/KeyboardInput.h"
#include "resident/KeyStrokes.h"
#include "views/Win32WindowFactory.h"

#include <new>

namespace quillery::app {
namespace {

std::wstring Widened(const char* text) {
    std::wstring wide;
    for (; *text != '\0'; ++text) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
    }
    return wide;
}

// The menu request as Pennock.dll runs it, in this program's module; what it chose, or a notice
// when it could not run.
std::optional<std::wstring> ChosenText(Platform& platform, const MenuOpening& opening,
                                       std::optional<Notice>& failure) {
    try {
        win32::Win32WindowFactory windows(GetModuleHandleW(nullptr));
        return RunMenuRequest(platform, windows, opening);
    } catch (const Failure& fault) {
        failure = Notice{L"Quillery could not open its menu: " + Widened(fault.what()) + L"."};
    } catch (const std::bad_alloc&) {
        failure = Notice{L"Quillery could not open its menu: the system is out of memory."};
    }
    return std::nullopt;
}

// Whether the user has turned to another program while the menu was open: one is in front,
// and the pointer is on it, where the click that brought it there was made. A window that the
// system brought to the front as the menu went (the next in its order) is no such choice.
bool TurnedToAnotherProgram(const TypingTarget& target) {
    HWND front = GetForegroundWindow();
    DWORD process = 0;
    if (front == nullptr || front == target.window || !GetWindowThreadProcessId(front, &process) ||
        process == GetCurrentProcessId()) {
        return false;
    }
    POINT pointer{};
    GetCursorPos(&pointer);
    HWND under = WindowFromPoint(pointer);
    return under != nullptr && GetAncestor(under, GA_ROOT) == front;
}

} // namespace

std::optional<Notice> MenuForProgram(Platform& platform, const std::optional<TypingTarget>& target,
                                     const MenuOpening& opening, UINT hotkeyKey) {
    std::optional<Notice> failure;
    const std::optional<std::wstring> chosen = ChosenText(platform, opening, failure);
    if (!chosen) {
        return failure;
    }
    if (chosen->empty()) {
        // Nothing to type; the program that had the keyboard has it again, unless the user has
        // turned to another one meanwhile.
        if (target && !TurnedToAnotherProgram(*target)) {
            GiveForegroundBack(*target);
        }
        return std::nullopt;
    }
    const std::wstring notTyped = L"Quillery did not type the snippet: ";
    if (!target) {
        return Notice{notTyped + L"no program had the keyboard when the menu was opened."};
    }
    if (!IsWindow(target->window)) {
        return Notice{notTyped + L"the window it was for has closed."};
    }
    const std::wstring program = ProgramName(*target);
    if (!GiveForegroundBack(*target)) {
        return Notice{notTyped + L"\"" + program + L"\" could not be brought back to the front."};
    }
    if (!WaitUntilKeysReleased(hotkeyKey, kKeysReleaseLimitMs)) {
        return Notice{notTyped + L"the keys of the hotkey were still held down."};
    }
    if (RunsAboveUs(*target)) {
        return Notice{notTyped + L"\"" + program +
                      L"\" runs as administrator, and Windows lets no program of lower rights "
                      L"type into it."};
    }
    // The keys go to whatever is in front: never to a program that came in front meanwhile.
    if (GetForegroundWindow() != target->window && !GiveForegroundBack(*target)) {
        return Notice{notTyped + L"\"" + program + L"\" could not be brought back to the front."};
    }
    // Last, as close to the typing as can be: the text goes where the user chose or nowhere.
    switch (ChangeSinceMenu(*target)) {
    case TargetChange::FocusMoved:
        return Notice{notTyped + L"\"" + program +
                      L"\" moved its keyboard focus elsewhere since the menu was opened."};
    case TargetChange::PageChanged:
        return Notice{notTyped + L"\"" + program +
                      L"\" went to another page since the menu was opened."};
    case TargetChange::None:
        break;
    }
    const std::vector<resident::KeyStroke> strokes = resident::KeyStrokesFor(*chosen);
    const std::size_t typed = TypeStrokes(strokes, target->thread, target->window);
    if (typed < strokes.size()) {
        return Notice{
            L"Only " + std::to_wstring(resident::CharactersTyped(strokes, typed)) + L" of " +
            std::to_wstring(resident::CharactersTyped(strokes, strokes.size())) +
            L" characters of the snippet reached \"" + program + L"\": Windows refused the rest."};
    }
    return std::nullopt;
}

} // namespace quillery::app
