#include "win32/views/Win32WindowFactory.h"

#include "win32/views/ItemEditorView.h"
#include "win32/views/Paint.h"
#include "win32/views/SnippetMenuView.h"
#include "win32/views/ThreadTooltip.h"
#include "win32/views/WelcomeView.h"

namespace quillery::win32 {
std::unique_ptr<PopupView> Win32WindowFactory::CreateSnippetMenuView(SnippetMenu& menu) {
    return std::make_unique<SnippetMenuView>(menu, instance_, module_);
}

std::unique_ptr<WindowView> Win32WindowFactory::CreateWelcomeView(WelcomeWindow& window) {
    return std::make_unique<WelcomeView>(window, instance_);
}

std::unique_ptr<WindowView> Win32WindowFactory::CreateItemEditorView(ItemEditor& editor) {
    return std::make_unique<ItemEditorView>(editor, instance_);
}

void ReleaseWindowResources(HINSTANCE instance) noexcept {
    ReleaseKeptBitmaps();
    DestroyThreadTooltip();
    for (const wchar_t* name :
         {SnippetMenuView::kClassName, WelcomeView::kClassName, ItemEditorView::kClassName}) {
        UnregisterClassW(name, instance);
    }
}

} // namespace quillery::win32
