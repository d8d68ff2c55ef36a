#pragma once

#include "editing/ItemEditor.h"
#include "platform/WindowView.h"
#include "welcome/WelcomeWindow.h"

#include <memory>

namespace quillery {

class SnippetMenu;

// Makes the snippet menu's native window.
class SnippetMenuViewFactory {
public:
    virtual ~SnippetMenuViewFactory() = default;
    virtual std::unique_ptr<PopupView> CreateSnippetMenuView(SnippetMenu& menu) = 0;

    // Closes the snippet menus that other requests of the user have open, on other threads or
    // in other processes, each without a choice, and returns once they are gone (or, for one
    // that does not answer, after a bounded wait). One menu is open at a time.
    virtual void CloseOtherMenus() noexcept = 0;
};

// Makes every window of a menu request: the platform's windows, or a test's.
class WindowFactory : public SnippetMenuViewFactory,
                      public WelcomeViewFactory,
                      public ItemEditorViewFactory {};

} // namespace quillery
