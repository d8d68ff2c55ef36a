#pragma once

#include <utility>

namespace quillery {

// Runs one step whose failure the caller goes on from: a failure inside `step` ends the step
// there, and the caller goes on. Returns whether the step ran to its end.
//
// Outside the boundaries (winapi/Win32Boundary.h, base/Boundary.h) this is the one place where a
// failure is caught. It is for a step whose failure the behaviour says to pass over, and for
// the one place that decides which fixed message a failure shows (ErrorReporter::ReportIfFails,
// MenuSession's data-file methods); never to turn a failure into a value that hides it.
template <typename Step> bool Attempt(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        return false;
    }
}

// As Attempt, for a step that answers: its answer, or `otherwise` when it failed.
template <typename Answer, typename Step> Answer AttemptOr(Answer otherwise, Step&& step) noexcept {
    try {
        return std::forward<Step>(step)();
    } catch (...) {
        return otherwise;
    }
}

} // namespace quillery
