#pragma once

#include "forms/RequestWindows.h"
#include "platform/WindowView.h"

#include <memory>

namespace quillery {

// What the component's windows have in common: a modal show that creates the native window
// and runs the load step before the window appears, and an unload that runs the unload step
// and destroys the native window. Closing may happen inside any nested message loop, even
// while the load step or another handler of the same window is still on the stack, so
// handlers check IsOpen() after every call that can run such a loop.
class Form : public ClosableWindow {
public:
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    bool IsOpen() const override { return loaded_; }

    // Unloads the window: the unload step, then the native window goes. Does nothing when
    // the window is not loaded.
    void Close() noexcept override;

    // The native view while the window is loaded; null otherwise.
    WindowView* View() const { return loaded_ ? view_.get() : nullptr; }

protected:
    // The window registers with its request's windows, under its role, while it is shown.
    Form(RequestWindows& windows, WindowRole role) : windows_(windows), role_(role) {}

    // Rebuilds the window from its design, runs its load step and, unless the load step has
    // closed it, shows it modally until it is closed. Throws when the native window cannot be
    // created, and when a show of this window is still on the stack.
    void ShowModal();

    virtual std::unique_ptr<WindowView> CreateView() = 0;
    virtual void ResetToDesign() = 0;
    virtual void OnLoad() = 0;
    virtual void OnUnload() = 0;

    // Redraws the native window after a change of state, if the window is still there.
    void Refresh();

private:
    RequestWindows& windows_;
    WindowRole role_;
    std::unique_ptr<WindowView> view_;
    bool loaded_ = false;
    bool showing_ = false; // a ShowModal of this window is still on the stack
};

} // namespace quillery
