#include "editing/ItemCommands.h"

namespace quillery {
std::vector<ContextMenuEntry> ItemCommands::EntriesFor(std::size_t lines, std::size_t clickedLine) {
    const bool onLine = clickedLine >= 1 && clickedLine <= lines;
    return {
        // A new item needs a free slot to stay possible.
        {New, L"&New", lines <= 18, false},
        {Edit, L"&Edit", onLine, false},
        {Remove, L"&Remove", onLine && lines >= 2, false},
        {Separator, L"-", true, true},
        {MoveUp, L"Move &Up", onLine && clickedLine != 1, false},
        {MoveDown, L"Move &Down", onLine && clickedLine != lines, false},
    };
}

void ItemCommands::Run(int command, int item) {
    switch (command) {
    case New:
        NewItem();
        break;
    case Edit:
        EditItem(item);
        break;
    case Remove:
        RemoveItem(item);
        break;
    case MoveUp:
        MoveItemUp(item);
        break;
    case MoveDown:
        MoveItemDown(item);
        break;
    default:
        break;
    }
}

void ItemCommands::ShowEditor(int item) {
    ItemEditor editor(session_, menu_, editorViews_, item);
    editor.Show();
}

void ItemCommands::NewItem() {
    ShowEditor(ItemEditor::kNewItem);
}

void ItemCommands::EditItem(int item) {
    ShowEditor(item);
}

void ItemCommands::RemoveItem(int item) {
    const int answer = session_.System().dialogs->ShowMessage(kRemoveQuestion, kRemoveTitle,
                                                              box::kYesNo | box::kIconQuestion);
    if (answer != box::kAnswerYes || !menu_.IsOpen() || !IsStoredItem(item)) {
        return;
    }
    MenuRecord record = session_.Snippet(item);
    record.SetDescription(L""); // the text stays in the slot and the file
    session_.SaveItem(item, record);
    if (!menu_.IsOpen()) {
        return; // a fatal report has closed the windows: nothing to redraw
    }
    menu_.DisplayMenu(); // saved, or refused and loaded again as another program left it
}

void ItemCommands::MoveItemUp(int item) {
    Move(item, true);
}

void ItemCommands::MoveItemDown(int item) {
    Move(item, false);
}

// Swaps the item with the item of the line above (or below) its own line.
void ItemCommands::Move(int item, bool up) {
    const std::size_t lines = menu_.LineCount();
    int neighbour = 0;
    bool found = false;
    for (std::size_t step = 0; step < lines && !found; ++step) {
        const std::size_t line = up ? 1 + step : lines - step;
        found = menu_.ItemOfLine(line) == item;
        if (!found) {
            neighbour = menu_.ItemOfLine(line);
        }
    }
    // Nothing moves when the item has no line, or no line lies before it.
    if (!found || !IsStoredItem(neighbour) || !IsStoredItem(item)) {
        return;
    }
    const MenuRecord mine = session_.Snippet(item);
    const MenuRecord theirs = session_.Snippet(neighbour);
    session_.SaveItemPair(neighbour, mine, theirs, item, theirs);
    if (!menu_.IsOpen()) {
        return;
    }
    menu_.DisplayMenu(); // saved, or refused and loaded again as another program left them
}

} // namespace quillery
