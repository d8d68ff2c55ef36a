#include "forms/RequestWindows.h"

#include <utility>

namespace quillery {

void RequestWindows::CloseAllForFatalReport() noexcept {
    const bool alreadyClosing = std::exchange(closingForFatalReport_, true);
    for (const auto role : {WindowRole::Editor, WindowRole::Welcome, WindowRole::Menu}) {
        try {
            ClosableWindow* window = At(role);
            if (window != nullptr && window->IsOpen()) {
                window->Close();
            }
        } catch (...) {
            // The next window is closed all the same.
        }
    }
    closingForFatalReport_ = alreadyClosing;
}

} // namespace quillery
