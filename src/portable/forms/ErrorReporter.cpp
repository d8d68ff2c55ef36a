#include "forms/ErrorReporter.h"

#include "messages/Messages.h"

namespace quillery {

void ShowErrorBox(Dialogs& dialogs, const std::wstring& message, bool fatal) noexcept {
    // A fatal report goes on to close the windows even when the box could not be shown.
    Attempt([&] {
        const unsigned style = box::kOk | (fatal ? box::kIconStop : box::kIconExclamation);
        dialogs.ShowMessage(message, messages::kProductName, style);
    });
}

void ErrorReporter::Report(const std::wstring& message, bool fatal) noexcept {
    ShowErrorBox(dialogs_, message, fatal);
    if (fatal) {
        windows_.CloseAll();
    }
}

} // namespace quillery
