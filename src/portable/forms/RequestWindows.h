#pragma once

#include "forms/ClosableWindow.h"

#include <array>

namespace quillery {

// The windows of one request, by role, in the order a fatal report closes them.
enum class WindowRole { Editor, Welcome, Menu };

// The windows one request has open, as far as a fatal report must reach them.
class RequestWindows {
public:
    void Register(WindowRole role, ClosableWindow* window) { windows_[Index(role)] = window; }
    ClosableWindow* At(WindowRole role) const { return windows_[Index(role)]; }

    // Closes the editor, the welcome window and the menu, in that order, each only if open: a
    // fatal report, or a menu asked to close by another request. While they close, their
    // unload steps can tell that the menu goes too.
    void CloseAll() noexcept;
    bool ClosingAll() const { return closingAll_; }

private:
    static constexpr std::size_t Index(WindowRole role) { return static_cast<std::size_t>(role); }

    std::array<ClosableWindow*, 3> windows_{};
    bool closingAll_ = false;
};

} // namespace quillery
