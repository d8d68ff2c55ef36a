#pragma once

#include <utility>

namespace quillery {

// Runs one step that may fail without ending what its caller is doing: a failure inside `step`
// ends the step there, and the caller goes on. Returns whether the step ran to its end.
//
// Outside the boundaries (the COM methods, the window procedure, the accessible object, the
// threads' entries), this is the one place where a failure is caught. A caller that must tell
// the user of it does so through ErrorReporter::ReportIfFails.
template <typename Step> bool Attempt(Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace quillery
