#pragma once

#include "menu/SnippetMenu.h"
#include "menuwindows/SnippetMenuWindows.h"
#include "toolkit/NativeWindow.h"
#include "views/MenuAccessible.h"
#include "winapi/ModuleUse.h"
#include "winapi/UniqueResource.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace quillery::win32 {

// The snippet menu's native window: a borderless tool window that paints the menu's lines,
// pads, links, banner, logo and separator itself, hit-tests through the menu, shows one
// tooltip control for the lines, runs the pointer watch's timer, shows the item commands'
// context menu and hands the keys to the menu. The close that another request of Quillery's
// sends (CloseWithoutChoiceMessage) closes the menu's whole request.
class SnippetMenuView final : public NativeView<PopupView> {
public:
    static constexpr const wchar_t* kClassName = kSnippetMenuClass;

    // Throws when the window cannot be made. `module` counts the accessible object's life.
    SnippetMenuView(SnippetMenu& menu, HINSTANCE instance, ModuleUse module = {});
    ~SnippetMenuView() override;
    SnippetMenuView(const SnippetMenuView&) = delete;
    SnippetMenuView& operator=(const SnippetMenuView&) = delete;

    void Place(float left, float top, float width, float height) noexcept override;
    void Refresh() override;
    bool IsWindowAt(PixelPoint point) noexcept override;
    void SetTimer(bool enabled, unsigned intervalMs) noexcept override;
    int ShowContextMenu(const std::vector<ContextMenuEntry>& entries,
                        std::optional<PixelPoint> at) override;

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT HandlePointer(UINT message, WPARAM wParam, LPARAM lParam);
    // Each answers the messages of its group, and nothing for any other message.
    std::optional<LRESULT> HandleKeyboard(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> HandleWindowEvent(UINT message, WPARAM wParam, LPARAM lParam);
    void FollowMoveByWindowSystem(const WINDOWPOS& moved);
    LRESULT AnswerCloseRequest(WPARAM askingProcess, LPARAM askingThread);

    RECT FrameBoxToClient(const TwipsBox& box) const;
    POINT FramePointToClient(float x, float y) const;
    void Paint(HDC dc, const RECT& client);
    void PaintLabel(HDC dc, const Label& label, bool highlighted);
    void PaintSeparator(HDC dc, const LineShape& line);
    void SyncTooltips();
    void RemoveTools();
    void DeleteTools();
    TOOLINFOW ToolInfo(std::size_t id) const;
    void CreateTooltipOnFirstMoveOntoALine(float x, float y, WPARAM wParam, LPARAM lParam);
    void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);

    // Screen readers (SnippetMenuViewAccessibility.cpp): the accessible object and the events.
    LRESULT AnswerObjectRequest(WPARAM wParam, LPARAM lParam);
    void AnnounceOpened();
    void AnnounceHighlight();
    void AnnounceClosedAndDisconnect();
    void ChooseEntryForClient(WPARAM entry);

    SnippetMenu& menu_;
    HINSTANCE instance_;
    HWND tooltip_ = nullptr; // the thread's, once the pointer has moved onto a line
    bool tooltipTried_ = false;
    UniqueGdi<HFONT> font_;
    bool timerOn_ = false;
    POINT placedAt_{};               // where Place() last put the window, in pixels
    std::optional<LPARAM> lastMove_; // the client point of the last pointer move
    struct Tool {
        RECT rect;
        std::wstring text;
        bool operator==(const Tool& other) const {
            return EqualRect(&rect, &other.rect) && text == other.text;
        }
    };
    std::vector<Tool> tools_; // what the tooltip control holds, by line index - 1
    ModuleUse module_;
    bool closeTaken_ = false;         // a close was taken and posted to the window, not yet run
    std::vector<DWORD> closeAskers_;  // the threads that asked for the close, told as it goes
    UniqueMenuAccessible accessible_; // made at a client's first request
    bool announcedOpen_ = false;
    bool closing_ = false;
    int announcedEntry_ = 0; // the highlighted entry that readers were last told of
};

} // namespace quillery::win32
