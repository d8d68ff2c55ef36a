#include "editing/ItemCommands.h"

namespace quillery {
namespace {

bool IsStoredItem(int item) {
    return item >= kFirstItem && item <= kLastItem;
}

} // namespace

ItemCommands::ItemCommands(MenuSession& session, SnippetMenuHost& menu,
                           ItemEditorViewFactory& editorViews)
    : session_(session), menu_(menu), editorViews_(editorViews) {
    entries = {
        {New, L"&New", true, false},        {Edit, L"&Edit", true, false},
        {Remove, L"&Remove", true, false},  {Separator, L"-", true, true},
        {MoveUp, L"Move &Up", true, false}, {MoveDown, L"Move &Down", true, false},
    };
}

MenuEntry& ItemCommands::Entry(Command command) {
    for (MenuEntry& entry : entries) {
        if (entry.id == command) {
            return entry;
        }
    }
    return entries.front();
}

bool ItemCommands::IsEnabled(Command command) const {
    for (const MenuEntry& entry : entries) {
        if (entry.id == command) {
            return entry.enabled;
        }
    }
    return false;
}

void ItemCommands::SetEnablement(int lines, int clickedLine) {
    Entry(New).enabled = lines <= 18; // a new item needs a free slot to stay possible
    Entry(Remove).enabled = lines >= 2;
    Entry(MoveUp).enabled = clickedLine != 1;
    Entry(MoveDown).enabled = clickedLine != lines;
}

void ItemCommands::Run(int command) {
    switch (command) {
    case New:
        NewItem();
        break;
    case Edit:
        EditItem();
        break;
    case Remove:
        RemoveItem();
        break;
    case MoveUp:
        MoveItemUp();
        break;
    case MoveDown:
        MoveItemDown();
        break;
    default:
        break;
    }
}

void ItemCommands::ShowEditor() {
    ItemEditor editor(session_, menu_, editorViews_);
    editor.Show();
}

void ItemCommands::NewItem() {
    session_.currentItem = 0;
    ShowEditor();
}

void ItemCommands::EditItem() {
    try {
        ShowEditor();
    } catch (...) {
        // The editor that cannot be opened leaves everything as it was.
    }
}

void ItemCommands::RemoveItem() {
    const int answer = session_.platform.dialogs->MessageBox(kRemoveQuestion, kRemoveTitle,
                                                             box::kYesNo | box::kIconQuestion);
    const int item = session_.currentItem;
    if (answer != box::kAnswerYes || !menu_.IsOpen() || !IsStoredItem(item)) {
        return;
    }
    MenuRecord& record = session_.snippets[static_cast<std::size_t>(item)];
    record.SetDescription(L""); // the text stays in the slot and the file
    if (!session_.SaveItem(item, record) || !menu_.IsOpen()) {
        return; // a fatal report has closed the windows: nothing to redraw
    }
    menu_.DisplayMenu();
}

void ItemCommands::MoveItemUp() {
    Move(true);
}

void ItemCommands::MoveItemDown() {
    Move(false);
}

// Swaps the current item with the item of the line above (or below) its own line.
void ItemCommands::Move(bool up) {
    const int current = session_.currentItem;
    const int lines = menu_.LineCount();
    int neighbour = 0;
    bool found = false;
    for (int step = 0; step < lines && !found; ++step) {
        const auto line = static_cast<std::size_t>(up ? 1 + step : lines - step);
        found = menu_.ItemOfLine(line).value_or(0) == current;
        if (!found) {
            neighbour = menu_.ItemOfLine(line).value_or(0);
        }
    }
    // Nothing moves when the current item has no line, or no line lies before it.
    if (!found || !IsStoredItem(neighbour) || !IsStoredItem(current)) {
        return;
    }
    SnippetTable& snippets = session_.snippets;
    const auto mine = static_cast<std::size_t>(current);
    const auto theirs = static_cast<std::size_t>(neighbour);
    const MenuRecord neighbourBefore = snippets[theirs];
    snippets[theirs] = snippets[mine];
    snippets[mine] = neighbourBefore;
    if (!session_.SaveItemPair(neighbour, snippets[theirs], neighbourBefore, current,
                               snippets[mine]) ||
        !menu_.IsOpen()) {
        return;
    }
    menu_.DisplayMenu();
}

} // namespace quillery
