#pragma once

#include "menu/SnippetMenu.h"

#include <windows.h>

#include <memory>

namespace quillery::win32 {

// Makes the native windows of a menu request, their window classes registered in `instance`:
// the module that holds the component.
class Win32WindowFactory final : public WindowFactory {
public:
    explicit Win32WindowFactory(HINSTANCE instance) : instance_(instance) {}

    std::unique_ptr<PopupView> CreateSnippetMenuView(SnippetMenu& menu) override;
    std::unique_ptr<WindowView> CreateWelcomeView(WelcomeWindow& window) override;
    std::unique_ptr<WindowView> CreateItemEditorView(ItemEditor& editor) override;

private:
    HINSTANCE instance_;
};

} // namespace quillery::win32
