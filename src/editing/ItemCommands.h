#pragma once

#include "editing/ItemEditor.h"
#include "editing/SnippetMenuHost.h"
#include "platform/WindowView.h"
#include "session/MenuSession.h"

#include <vector>

namespace quillery {

// The commands of a right click on a snippet line: New, Edit, Remove, a separator, Move Up
// and Move Down. They appear as a context menu over the snippet menu, act on the session's
// current item and write every change to the data file at once.
class ItemCommands {
public:
    enum Command : int { New = 1, Edit, Remove, Separator, MoveUp, MoveDown };

    ItemCommands(MenuSession& session, SnippetMenuHost& menu, ItemEditorViewFactory& editorViews);

    // The entries in display order, with their enabled state.
    std::vector<MenuEntry> entries;

    // Sets New, Remove, Move Up and Move Down afresh for `lines` shown lines and a right
    // click on line `clickedLine`; Edit and the separator never change.
    void SetEnablement(int lines, int clickedLine);
    bool IsEnabled(Command command) const;

    // Runs the chosen command; 0 (the menu was dismissed) does nothing.
    void Run(int command);

    void NewItem();
    void EditItem();
    void RemoveItem();
    void MoveItemUp();
    void MoveItemDown();

private:
    MenuEntry& Entry(Command command);
    void ShowEditor();
    void Move(bool up);

    MenuSession& session_;
    SnippetMenuHost& menu_;
    ItemEditorViewFactory& editorViews_;
};

inline constexpr const wchar_t* kRemoveQuestion =
    L"Are you sure you want to remove the selected item";
inline constexpr const wchar_t* kRemoveTitle = L"Remove Item";

} // namespace quillery
