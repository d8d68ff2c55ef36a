#include "editing/FrmEditItem.h"

#include "menu/FrmSelect.h"
#include "menu/MenuRequest.h"
#include "platform/Platform.h"
#include "shared/Messages.h"
#include "shared/ThreadContext.h"
#include "shell/ReportError.h"
#include "store/MenuFile.h"

namespace quillery {
namespace {

FrmSelect& Menu() {
    return CurrentThread().Instance<FrmSelect>();
}

// What a text box holds of a value: it ends at the first NUL (a never-written slot is all
// NUL, and opens empty).
std::wstring TextBoxText(const std::wstring& value) {
    return value.substr(0, value.find(L'\0'));
}

} // namespace

std::unique_ptr<WindowView> FrmEditItem::CreateView() {
    return CurrentPlatform().views->CreateEditView(*this);
}

void FrmEditItem::ResetToDesign() {
    Left = 0;
    Top = 0;
    txtItem = {};
}

// Every step on its own: a step that fails is skipped and the next one runs.
void FrmEditItem::Form_Load() {
    try {
        Menu().SetTimerEnabled(false);
    } catch (...) {
    }
    try {
        Top = Menu().Top + 300;
        Left = Menu().Left + 800;
    } catch (...) {
    }
    try {
        const MenuRecord& item = CurrentThread().module.MenuItems.at(
            static_cast<std::size_t>(CurrentThread().module.CurrentItem));
        txtItem[0] = TextBoxText(TrimSpaces(item.Description));
        txtItem[1] = TextBoxText(TrimSpaces(item.Text));
    } catch (...) {
    }
    Refresh();
}

// Back onto the pop-up with its watch running, unless a fatal report has closed it too.
void FrmEditItem::Form_Unload() {
    if (!Menu().IsOpen() || CurrentThread().closingForFatalReport) {
        return;
    }
    MoveCursorToMenu();
    Menu().SetTimerEnabled(true);
}

void FrmEditItem::txtItem_Change(int Index, const std::wstring& text) {
    if (Index == 0 || Index == 1) {
        txtItem[static_cast<std::size_t>(Index)] =
            text.substr(0, kMaxLength[static_cast<std::size_t>(Index)]);
    }
}

void FrmEditItem::cmdAction_Click(std::int16_t Index) {
    try {
        if (Index == 0) {
            Apply();
            return;
        }
        Close();
        CurrentPlatform().desktop->DoEvents();
    } catch (...) {
        ReportError(messages::kErrorEditingItem, false);
    }
}

void FrmEditItem::Apply() {
    Module1& module = CurrentThread().module;
    if (module.CurrentItem == 0) {
        // The first empty slot; 21 lies beyond the stored items and is always empty.
        std::int16_t slot = Module1::kFirstItem;
        while (slot < Module1::kLastItem + 1 && !module.MenuItems.at(slot).IsEmptyItem()) {
            ++slot;
        }
        module.CurrentItem = slot;
    }
    const std::int16_t item = module.CurrentItem;
    if (item >= Module1::kFirstItem && item <= Module1::kLastItem) {
        MenuRecord& record = module.MenuItems.at(static_cast<std::size_t>(item));
        record.SetDescription(TrimSpaces(txtItem[0]));
        record.SetText(TrimSpaces(txtItem[1]));
        if (!PutMenuRecord(item, record) || !IsOpen()) {
            return; // a fatal report has closed the editor and the pop-up
        }
    }
    Menu().DisplayMenu();
    if (!IsOpen()) {
        return;
    }
    Close();
    CurrentPlatform().desktop->DoEvents();
}

} // namespace quillery
