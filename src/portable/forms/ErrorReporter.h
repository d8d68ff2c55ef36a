#pragma once

#include "base/Attempt.h"
#include "forms/RequestWindows.h"
#include "platform/Dialogs.h"

#include <string>

namespace quillery {

// Tells the user of a failure: a modal box titled with the product's name whose body is the
// message alone, with a stop icon when the failure is fatal and an exclamation mark otherwise.
// It never fails towards its caller.
void ShowErrorBox(Dialogs& dialogs, const std::wstring& message, bool fatal) noexcept;

// Failures within one request: the box, and after a fatal one the request's windows close
// (the editor, the welcome window and the menu, in that order).
class ErrorReporter {
public:
    ErrorReporter(Dialogs& dialogs, RequestWindows& windows)
        : dialogs_(dialogs), windows_(windows) {}

    void Report(const std::wstring& message, bool fatal) noexcept;

    // Runs `step`; when it fails, reports `message` and the caller goes on. Returns whether
    // the step ran to its end.
    template <typename Step>
    bool ReportIfFails(const wchar_t* message, bool fatal, Step&& step) noexcept {
        if (Attempt(std::forward<Step>(step))) {
            return true;
        }
        Report(message, fatal);
        return false;
    }

private:
    Dialogs& dialogs_;
    RequestWindows& windows_;
};

} // namespace quillery
