#include "shell/ReportError.h"

#include "platform/Platform.h"
#include "shared/Messages.h"
#include "shared/ThreadContext.h"

namespace quillery {

void ReportError(const std::wstring& message, bool fatal) noexcept {
    try {
        const unsigned style = box::kOk | (fatal ? box::kIconStop : box::kIconExclamation);
        CurrentPlatform().dialogs->MessageBox(message, messages::kProductName, style);
    } catch (...) {
        // The report goes on to close the windows even when the box could not be shown.
    }
    if (!fatal) {
        return;
    }
    // While the windows close, their unload steps know that the pop-up goes too.
    struct ClosingFlag {
        ThreadContext* thread = nullptr;
        ~ClosingFlag() {
            if (thread != nullptr) {
                thread->closingForFatalReport = false;
            }
        }
    } closing;
    try {
        closing.thread = &CurrentThread();
        closing.thread->closingForFatalReport = true;
    } catch (...) {
    }
    for (const auto slot :
         {FatalCloseSlot::EditItem, FatalCloseSlot::Intro, FatalCloseSlot::Select}) {
        try {
            ClosableWindow* window = CurrentThread().Window(slot);
            if (window != nullptr && window->IsOpen()) {
                window->Close();
            }
        } catch (...) {
            // Each window is attempted even when closing the one before failed.
        }
    }
}

} // namespace quillery
