#pragma once

#include "menu/SnippetMenu.h"
#include "winapi/ModuleUse.h"

#include <windows.h>

#include <memory>

namespace quillery::win32 {

// Makes the native windows of a menu request, their window classes registered in `instance`:
// the module that holds the component. `module` counts the objects that the windows hand to
// clients (the menu's accessible object), which run that module's code.
class Win32WindowFactory final : public WindowFactory {
public:
    // How long a request waits for the other menus to go before it opens its own regardless.
    static constexpr DWORD kOtherMenusLimitMs = 5000;

    explicit Win32WindowFactory(HINSTANCE instance, ModuleUse module = {})
        : instance_(instance), module_(module) {}

    std::unique_ptr<PopupView> CreateSnippetMenuView(SnippetMenu& menu) override;
    // The menus of the desktop that Quillery's programs made, in any process, but the calling
    // thread's: each is sent the close, and the request waits until they are gone, at most
    // kOtherMenusLimitMs in all.
    void CloseOtherMenus() noexcept override;
    std::unique_ptr<WindowView> CreateWelcomeView(WelcomeWindow& window) override;
    std::unique_ptr<WindowView> CreateItemEditorView(ItemEditor& editor) override;

private:
    HINSTANCE instance_;
    ModuleUse module_;
};

// Unregisters the window classes of the component's windows from `instance` and frees what
// the windows keep (the logo's picture, the calling thread's tooltip control). The classes' window
// procedure lies in the module's code, so none may outlive the module: a newer copy loaded at the
// same address would otherwise find the old class. The next window registers its class again and
// draws the logo again. A class that still has a window stays registered.
void ReleaseWindowResources(HINSTANCE instance) noexcept;

} // namespace quillery::win32
