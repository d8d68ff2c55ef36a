#include "forms/RequestWindows.h"

#include <utility>

namespace quillery {

void RequestWindows::CloseAll() noexcept {
    const bool alreadyClosing = std::exchange(closingAll_, true);
    for (const auto role : {WindowRole::Editor, WindowRole::Welcome, WindowRole::Menu}) {
        ClosableWindow* window = At(role);
        if (window != nullptr && window->IsOpen()) {
            window->Close();
        }
    }
    closingAll_ = alreadyClosing;
}

} // namespace quillery
