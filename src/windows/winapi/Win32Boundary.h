#pragma once

// The boundaries where the Win32 code hands control back to the system, one translator for
// each kind: a COM method (an HRESULT), a window or dialog procedure (the procedure's answer),
// a thread's entry (its exit code). A program's main has its own in base/Boundary.h. Nothing
// thrown crosses any of them.

#include "base/Boundary.h"

#include <windows.h>

#include <utility>

namespace quillery::win32 {

// What a COM method answers for a failure that ends it: out of memory; a Failure that carries
// the system's error, as that error (when `systemErrors`); anything else.
struct ComAnswers {
    HRESULT outOfMemory = E_OUTOFMEMORY;
    bool systemErrors = true;
    HRESULT otherwise = E_FAIL;

    // One answer for every failure.
    static constexpr ComAnswers Only(HRESULT answer) { return {answer, false, answer}; }
};

// Runs the body of a COM method, which answers an HRESULT; a failure becomes the HRESULT that
// `answers` gives it.
template <typename Body> HRESULT ComMethod(Body&& body, ComAnswers answers = {}) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        const CaughtFailure failure = CurrentFailure();
        if (failure.outOfMemory) {
            return answers.outOfMemory;
        }
        if (answers.systemErrors && failure.systemError != 0) {
            return HRESULT_FROM_WIN32(static_cast<DWORD>(failure.systemError));
        }
        return answers.otherwise;
    }
}

// Handles one message of a window or dialog procedure: `handle`'s answer or, when a failure
// ends it, `failed`'s, which runs inside the handler (so it may ask CurrentFailure() or take
// std::current_exception() to carry the failure on past the system's call) and must not throw.
template <typename Handle, typename Failed>
auto WindowMessage(Handle&& handle, Failed&& failed) noexcept -> decltype(handle()) {
    try {
        return std::forward<Handle>(handle)();
    } catch (...) {
        return std::forward<Failed>(failed)();
    }
}

// Runs a thread's body: the thread's exit code is 0 when the body ran to its end and 1 when a
// failure ended it. Whoever waits for the thread sees it end either way; what the body must
// leave behind on a failure (an event set, COM left) it does in its own destructors.
template <typename Body> DWORD ThreadEntry(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return 0;
    } catch (...) {
        return 1;
    }
}

} // namespace quillery::win32
