#pragma once

#include "editing/EditableMenu.h"
#include "editing/ItemEditor.h"
#include "platform/WindowView.h"
#include "session/MenuSession.h"

#include <cstddef>
#include <vector>

namespace quillery {

// The commands of a right click on the snippet menu: New, Edit, Remove, a separator, Move Up
// and Move Down. They appear as a context menu over the snippet menu, act on the item of the
// line that was clicked (New needs none) and write every change to the data file at once.
class ItemCommands {
public:
    enum Command : int { New = 1, Edit, Remove, Separator, MoveUp, MoveDown };

    ItemCommands(MenuSession& session, EditableMenu& menu, ItemEditorViewFactory& editorViews)
        : session_(session), menu_(menu), editorViews_(editorViews) {}

    // The context menu's entries in display order, for a right click on line `clickedLine` of
    // `lines` shown lines, or on no line (0: the banner, the background): New needs a free
    // slot, the others a clicked line, Remove a second line, Move Up a line above and Move
    // Down a line below.
    static std::vector<ContextMenuEntry> EntriesFor(std::size_t lines, std::size_t clickedLine);

    // Runs the chosen command on item `item`, the clicked line's; 0 (the context menu was
    // dismissed) does nothing.
    void Run(int command, int item);

    void NewItem();
    void EditItem(int item);
    void RemoveItem(int item);
    void MoveItemUp(int item);
    void MoveItemDown(int item);

private:
    void ShowEditor(int item);
    void Move(int item, bool up);

    MenuSession& session_;
    EditableMenu& menu_;
    ItemEditorViewFactory& editorViews_;
};

inline constexpr const wchar_t* kRemoveQuestion =
    L"Are you sure you want to remove the selected item";
inline constexpr const wchar_t* kRemoveTitle = L"Remove Item";

} // namespace quillery
