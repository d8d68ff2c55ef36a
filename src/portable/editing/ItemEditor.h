#pragma once

#include "editing/EditableMenu.h"
#include "forms/Form.h"
#include "forms/WindowParts.h"
#include "session/MenuSession.h"

#include <array>
#include <memory>
#include <string>

namespace quillery {

class ItemEditor;

// Makes the item editor's native window.
class ItemEditorViewFactory {
public:
    virtual ~ItemEditorViewFactory() = default;
    virtual std::unique_ptr<WindowView> CreateItemEditorView(ItemEditor& editor) = 0;
};

// The item editor: a small tool window with a description (30 characters) and a text to
// insert (200 characters, several lines), opened modally over the snippet menu for one item,
// or for a new item that Apply puts into the first free slot.
class ItemEditor final : public Form {
public:
    enum Field : std::size_t { Description, Text };

    static constexpr float kClientWidth = 3645;
    static constexpr float kClientHeight = 2535;
    static constexpr const wchar_t* kCaption = L"Edit Item";
    static constexpr int kNewItem = 0;

    struct Control {
        TwipsBox box;
        const wchar_t* caption;
    };
    static constexpr Control kFieldLabels[2] = {{{150, 60, 1215, 255}, L"Description"},
                                                {{150, 630, 1215, 255}, L"Text to Insert"}};
    static constexpr TwipsBox kFieldBoxes[2] = {{150, 300, 3285, 255}, {150, 840, 3285, 1035}};
    static constexpr std::size_t kFieldLimits[2] = {MenuRecord::kDescriptionWidth,
                                                    MenuRecord::kTextWidth};
    static constexpr Control kApplyButton = {{210, 1950, 1485, 465}, L"&Apply"};
    static constexpr Control kCancelButton = {{1980, 1980, 1485, 465}, L"&Cancel"};

    // An editor of item `item` (1 to 20), or of a new item (kNewItem).
    ItemEditor(MenuSession& session, EditableMenu& menu, ItemEditorViewFactory& views, int item)
        : Form(session.Windows(), WindowRole::Editor), session_(session), menu_(menu),
          views_(views), item_(item) {}

    void Show() { ShowModal(); }

    // State that the view draws and edits.
    float left = 0;
    float top = 0;
    std::array<std::wstring, 2> fields; // by Field

    // Events.
    void OnFieldChanged(Field field, const std::wstring& text); // the user typed
    void OnApply();
    void OnCancel();

private:
    std::unique_ptr<WindowView> CreateView() override;
    void ResetToDesign() override;
    void OnLoad() override;
    void OnUnload() override;

    void Apply();
    bool FieldsFit();

    MenuSession& session_;
    EditableMenu& menu_;
    ItemEditorViewFactory& views_;
    int item_;
};

} // namespace quillery
