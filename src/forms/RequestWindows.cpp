#include "forms/RequestWindows.h"

#include <utility>

namespace quillery {

void RequestWindows::CloseAllForFatalReport() noexcept {
    const bool alreadyClosing = std::exchange(closingForFatalReport_, true);
    for (const auto role : {WindowRole::Editor, WindowRole::Welcome, WindowRole::Menu}) {
        ClosableWindow* window = At(role);
        if (window != nullptr && window->IsOpen()) {
            window->Close();
        }
    }
    closingForFatalReport_ = alreadyClosing;
}

} // namespace quillery
