#include "app/CaretMenu.h"

#include "app/KeyboardInput.h"
#include "base/Boundary.h"
#include "menu/MenuRequest.h"
#include "messages/ResidentMessages.h"
#include "platform/Platform.h"
#include "resident/FailureNotice.h"
#include "resident/KeyStrokes.h"
#include "views/Win32WindowFactory.h"

namespace quillery::app {
namespace {

// The menu request as Pennock.dll runs it, in this program's module; what it chose, or a notice
// when it could not run.
std::optional<std::wstring> ChosenText(Platform& platform, const MenuOpening& opening,
                                       std::optional<Notice>& failure) {
    try {
        win32::Win32WindowFactory windows(GetModuleHandleW(nullptr));
        return RunMenuRequest(platform, windows, opening);
    } catch (...) {
        // The menu could not run: the user is told what failed, here where the request began.
        // Anything else than a Failure or no memory goes on to the window's boundary.
        const std::optional<std::wstring> what = resident::WhatFailed(CurrentFailure());
        if (!what) {
            throw;
        }
        failure = Notice{messages::MenuNotOpened(*what)};
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
    if (!target) {
        return Notice{messages::NotTyped(messages::kNoProgramHadKeyboard)};
    }
    if (!IsWindow(target->window)) {
        return Notice{messages::NotTyped(messages::kTargetClosed)};
    }
    const std::wstring program = ProgramName(*target);
    if (!GiveForegroundBack(*target)) {
        return Notice{messages::NotTyped(messages::NotBroughtBack(program))};
    }
    if (!WaitUntilKeysReleased(hotkeyKey, kKeysReleaseLimitMs)) {
        return Notice{messages::NotTyped(messages::kKeysStillHeld)};
    }
    if (RunsAboveUs(*target)) {
        return Notice{messages::NotTyped(messages::RunsAsAdministrator(program))};
    }
    // The keys go to whatever is in front: never to a program that came in front meanwhile.
    if (GetForegroundWindow() != target->window && !GiveForegroundBack(*target)) {
        return Notice{messages::NotTyped(messages::NotBroughtBack(program))};
    }
    // Last, as close to the typing as can be: the text goes where the user chose or nowhere.
    switch (ChangeSinceMenu(*target)) {
    case TargetChange::FocusMoved:
        return Notice{messages::NotTyped(messages::FocusMovedSinceMenu(program))};
    case TargetChange::PageChanged:
        return Notice{messages::NotTyped(messages::PageChangedSinceMenu(program))};
    case TargetChange::None:
        break;
    }
    const std::vector<resident::KeyStroke> strokes = resident::KeyStrokesFor(*chosen);
    const std::size_t typed = TypeStrokes(strokes, target->thread, target->window);
    if (typed < strokes.size()) {
        return Notice{messages::PartlyTyped(resident::CharactersTyped(strokes, typed),
                                            resident::CharactersTyped(strokes, strokes.size()),
                                            program)};
    }
    return std::nullopt;
}

} // namespace quillery::app
