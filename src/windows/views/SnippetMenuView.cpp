#include "views/SnippetMenuView.h"

#include "menu/SnippetMenuPixels.h"
#include "toolkit/ThreadTooltip.h"
#include "views/Pictures.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

namespace quillery::win32 {
namespace {

constexpr UINT_PTR kTimerId = 1;

Key KeyOf(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_DOWN:
        return Key::Down;
    case VK_UP:
        return Key::Up;
    case VK_HOME:
        return Key::Home;
    case VK_END:
        return Key::End;
    case VK_RETURN:
        return Key::Enter;
    case VK_SPACE:
        return Key::Space;
    case VK_ESCAPE:
        return Key::Escape;
    case VK_APPS:
        return Key::ContextMenu;
    default:
        return Key::Other;
    }
}

} // namespace

SnippetMenuView::SnippetMenuView(SnippetMenu& menu, HINSTANCE instance, ModuleUse module)
    : NativeView(menu), menu_(menu), instance_(instance), module_(module) {
    font_.reset(CreatePointFont(L"Arial", 8.25, false, dpi_.y));
    // The caption is never seen: the window has no title bar.
    Create(instance, kClassName, nullptr, L"Form1", WS_POPUP | WS_CLIPCHILDREN,
           WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
}

// The tooltip control is the thread's (ThreadTooltip), taken when the pointer first moves onto
// a line, whose tip it shows: a thread that never shows a tip makes none (the pointer put onto
// the banner at load is no such move). The move is handed on to it, so that it starts timing
// the tip at once.
void SnippetMenuView::CreateTooltipOnFirstMoveOntoALine(float x, float y, WPARAM wParam,
                                                        LPARAM lParam) {
    if (tooltip_ != nullptr || tooltipTried_) {
        return;
    }
    using Kind = SnippetMenu::Hit::Kind;
    const TwipsBox& frame = menu_.Layout().frame;
    const Kind under = menu_.HitTest(x - frame.left, y - frame.top).kind;
    if (under != Kind::Line && under != Kind::LinePad) {
        return;
    }
    tooltipTried_ = true;
    tooltip_ = ThreadTooltip(instance_);
    if (tooltip_ == nullptr) {
        return;
    }
    SyncTooltips();
    RelayToTooltip(WM_MOUSEMOVE, wParam, lParam);
}

// The tooltip control learns of the pointer from the messages handed on to it here, rather than
// by subclassing the window: a subclassed window pays a property lookup on every message it
// gets, which made closing the menu a millisecond slower.
void SnippetMenuView::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
    if (tooltip_ == nullptr) {
        return;
    }
    const DWORD at = GetMessagePos(); // where the pointer was when the message was sent
    MSG relayed{window_,
                message,
                wParam,
                lParam,
                static_cast<DWORD>(GetMessageTime()),
                POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}};
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

// Messages by group: the pointer's, the keyboard's, and the window's own.
LRESULT SnippetMenuView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONUP) {
        RelayToTooltip(message, wParam, lParam);
        return HandlePointer(message, wParam, lParam);
    }
    if (const std::optional<LRESULT> handled = HandleKeyboard(message, wParam, lParam)) {
        return *handled;
    }
    if (const std::optional<LRESULT> handled = HandleWindowEvent(message, wParam, lParam)) {
        return *handled;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT SnippetMenuView::HandlePointer(UINT message, WPARAM wParam, LPARAM lParam) {
    // The pointer stands for the centre of its pixel: the part found there is the part drawn.
    const float x = scale_.TwipsX(GET_X_LPARAM(lParam));
    const float y = scale_.TwipsY(GET_Y_LPARAM(lParam));
    switch (message) {
    case WM_MOUSEMOVE:
        // The window system also sends a move when a window appears or goes under a pointer
        // that rests: only a real move takes the highlight from the keys.
        if (lastMove_ == lParam) {
            return 0;
        }
        lastMove_ = lParam;
        menu_.OnPointerMoved(x, y);
        if (window_ != nullptr) {
            CreateTooltipOnFirstMoveOntoALine(x, y, wParam, lParam);
        }
        return 0;
    case WM_LBUTTONDOWN:
        menu_.OnButtonPressed(x, y, MouseButton::Left);
        return 0;
    case WM_LBUTTONUP:
        menu_.OnButtonReleased(x, y, MouseButton::Left);
        return 0;
    case WM_RBUTTONUP:
        menu_.OnButtonReleased(x, y, MouseButton::Right);
        return 0;
    case WM_MBUTTONUP:
        menu_.OnButtonReleased(x, y, MouseButton::Middle);
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

std::optional<LRESULT> SnippetMenuView::HandleKeyboard(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE:
        // The modal loop treats every window as a dialog: without this, Enter, Escape and the
        // arrows would become dialog navigation and never reach the menu.
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        menu_.OnKeyPressed(KeyOf(wParam));
        return 0;
    case WM_KEYUP:
        if (wParam == VK_APPS) {
            return 0; // its key-down opened the item commands: no second context menu
        }
        return std::nullopt;
    case WM_SYSKEYDOWN:
        // Shift+F10 among them, whose context menu the default procedure sends.
        menu_.OnKeyPressed(Key::Other);
        if (window_ == nullptr) {
            return 0;
        }
        return std::nullopt;
    case WM_CHAR:
        menu_.OnCharacterTyped(static_cast<wchar_t>(wParam));
        return 0;
    case WM_CONTEXTMENU:
        // From the keyboard the point is (-1, -1); a right click is the button's own release.
        // A 64-bit lParam may hold that point as 0xFFFFFFFF rather than as -1.
        if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
            menu_.OnKeyPressed(Key::ContextMenu);
        }
        return 0;
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> SnippetMenuView::HandleWindowEvent(UINT message, WPARAM wParam,
                                                          LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        RECT client;
        GetClientRect(window_, &client);
        Paint(dc, client);
        EndPaint(window_, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // WM_PAINT fills everything
    case WM_TIMER:
        if (wParam == kTimerId) {
            menu_.OnPointerWatchTick();
        }
        return 0;
    case WM_WINDOWPOSCHANGED:
        FollowMoveByWindowSystem(*reinterpret_cast<const WINDOWPOS*>(lParam));
        return std::nullopt;
    case WM_DESTROY:
        RemoveTools();
        AnnounceClosedAndDisconnect();
        return 0;
    case WM_GETOBJECT:
        return AnswerObjectRequest(wParam, lParam);
    default:
        if (message == ChooseEntryMessage()) {
            ChooseEntryForClient(wParam);
            return 0;
        }
        if (message == CloseWithoutChoiceMessage()) {
            return AnswerCloseRequest(wParam, lParam);
        }
        return std::nullopt;
    }
}

// Another request's close, sent by one of Quillery's programs, is taken and then run as the
// thread next reads its queue (posted to the window itself), as a line's choice is, rather than
// inside the asking thread's call. A close that was posted is run only when it is that post: a
// posted message does not say who posted it, and any program can post a registered one.
LRESULT SnippetMenuView::AnswerCloseRequest(WPARAM askingProcess, LPARAM askingThread) {
    if (TakesCloseRequest(askingProcess)) {
        closeAskers_.push_back(static_cast<DWORD>(askingThread));
        if (!std::exchange(closeTaken_, true)) {
            PostMessageW(window_, CloseWithoutChoiceMessage(), 0, 0);
        }
        return 1;
    }
    if (!InSendMessage() && std::exchange(closeTaken_, false)) {
        menu_.OnAskedToClose();
    }
    return 0;
}

// The threads that asked the menu to close are woken once its window is gone: the view goes
// after its modal loop has destroyed the window, whereas in WM_DESTROY the window still is.
SnippetMenuView::~SnippetMenuView() {
    const DWORD self = GetCurrentThreadId();
    for (DWORD asker : closeAskers_) {
        if (asker != self) {
            PostThreadMessageW(asker, MenuGoneMessage(), 0, 0);
        }
    }
}

// A move that Place() did not ask for: a window manager keeping the window on the screen, a
// shell tool, a change of display. The menu's place follows the window.
void SnippetMenuView::FollowMoveByWindowSystem(const WINDOWPOS& moved) {
    if ((moved.flags & SWP_NOMOVE) == 0 && (moved.x != placedAt_.x || moved.y != placedAt_.y)) {
        placedAt_ = POINT{moved.x, moved.y};
        menu_.OnMovedByWindowSystem(static_cast<float>(moved.x * scale_.TwipsPerPixelX()),
                                    static_cast<float>(moved.y * scale_.TwipsPerPixelY()));
    }
    if ((moved.flags & SWP_SHOWWINDOW) != 0) {
        AnnounceOpened();
    }
}

POINT SnippetMenuView::FramePointToClient(float x, float y) const {
    const PixelPoint point = ClientPixels(menu_, x, y, scale_);
    return POINT{point.x, point.y};
}

RECT SnippetMenuView::FrameBoxToClient(const TwipsBox& box) const {
    const PixelRect rect = ClientPixels(menu_, box, scale_);
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

void SnippetMenuView::PaintLabel(HDC dc, const Label& label, bool highlighted) {
    if (!label.visible) {
        return;
    }
    RECT rect = FrameBoxToClient(label.box);
    const ColorRef back = highlighted ? colors::kHighlightBack : colors::kNormalBack;
    SetDCBrushColor(dc, ResolveColor(back)); // the DC's own brush: none made per label
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (label.caption.empty()) {
        return;
    }
    SetTextColor(dc, ResolveColor(highlighted ? colors::kHighlightText : colors::kNormalText));
    SetBkMode(dc, TRANSPARENT);
    // '&' marks the access key, as in any label; the text is cut by the box, not shortened.
    DrawTextW(dc, label.caption.c_str(), static_cast<int>(label.caption.size()), &rect,
              DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void SnippetMenuView::Paint(HDC target, const RECT& client) {
    // Drawn off screen first, so that hovering does not flicker.
    MenuBackBuffer().Use(target, client.right, client.bottom, [&](HDC dc, bool) {
        SelectedObject selectedFont(dc, font_.get());
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

        const MenuLayout& layout = menu_.Layout();
        TwipsBox frame = layout.frame;
        frame.left = 0;
        frame.top = 0;
        RECT frameRect = FrameBoxToClient(frame);
        DrawEdge(dc, &frameRect, EDGE_ETCHED, BF_RECT);

        RECT banner = FrameBoxToClient(layout.banner);
        FillRect(dc, &banner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawEdge(dc, &banner, EDGE_SUNKEN, BF_RECT);
        DrawLogo(dc, FrameBoxToClient(layout.LogoInFrame()));

        // A line and its pad are drawn highlighted together, as are a link and its pad. Pads
        // first: where a line and its pad overlap, the line is on top.
        const auto highlighted = static_cast<std::size_t>(menu_.HighlightedEntry());
        const std::size_t lines = layout.lines.size() - 1;
        for (std::size_t i = 1; i < layout.linePads.size(); ++i) {
            PaintLabel(dc, layout.linePads[i], i == highlighted);
        }
        for (std::size_t i = 1; i < layout.lines.size(); ++i) {
            PaintLabel(dc, layout.lines[i], i == highlighted);
        }
        for (std::size_t k = 0; k < layout.links.size(); ++k) {
            const bool on = lines + 1 + k == highlighted;
            PaintLabel(dc, layout.linkPads[k], on);
            PaintLabel(dc, layout.links[k], on);
        }
        PaintSeparator(dc, layout.upperSeparator);
        PaintSeparator(dc, layout.lowerSeparator);
        BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    });
}

void SnippetMenuView::PaintSeparator(HDC dc, const LineShape& line) {
    if (!line.visible) {
        return;
    }
    // Two pixels wide at every resolution: the line's place scales, its width does not.
    UniqueGdi<HPEN> pen(CreatePen(PS_INSIDEFRAME, 2, ResolveColor(line.color)));
    SelectedObject selectedPen(dc, pen.get());
    const POINT from = FramePointToClient(line.x1, line.y1);
    const POINT to = FramePointToClient(line.x2, line.y2);
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

// A tool of this window, in the size that every version of the common controls accepts: a
// host without a manifest for version 6 gets version 5, which refuses the larger structure of
// the newer headers.
TOOLINFOW SnippetMenuView::ToolInfo(std::size_t id) const {
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = id;
    return tool;
}

void SnippetMenuView::DeleteTools() {
    for (std::size_t id = 1; id <= tools_.size(); ++id) {
        TOOLINFOW tool = ToolInfo(id);
        SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tools_.clear();
}

// The thread's tooltip control outlives this window: its tools for it go, and a tip showing.
void SnippetMenuView::RemoveTools() {
    if (tooltip_ == nullptr) {
        return;
    }
    DeleteTools();
    SendMessageW(tooltip_, TTM_POP, 0, 0);
    tooltip_ = nullptr;
}

// The tooltip control is told only of changed lines: re-adding its tools on every hover
// would hide a tip that is showing.
void SnippetMenuView::SyncTooltips() {
    if (tooltip_ == nullptr) {
        return;
    }
    std::vector<Tool> wanted;
    const std::vector<Label>& lines = menu_.Layout().lines;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const Label& line = lines[i];
        const bool shown = line.visible && !line.tooltip.empty();
        wanted.push_back(Tool{shown ? FrameBoxToClient(line.box) : RECT{},
                              shown ? line.tooltip : std::wstring()});
    }
    if (wanted == tools_) {
        return;
    }
    DeleteTools();
    tools_ = std::move(wanted);
    for (std::size_t id = 1; id <= tools_.size(); ++id) {
        Tool& line = tools_[id - 1];
        if (line.text.empty()) {
            continue;
        }
        TOOLINFOW tool = ToolInfo(id);
        tool.rect = line.rect;
        tool.lpszText = line.text.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void SnippetMenuView::Place(float left, float top, float width, float height) noexcept {
    if (window_ == nullptr) {
        return;
    }
    const PixelRect place = scale_.Window(left, top, width, height);
    placedAt_ = POINT{place.left, place.top};
    MoveTo(RECT{place.left, place.top, place.right, place.bottom});
}

void SnippetMenuView::Refresh() {
    if (window_ == nullptr) {
        return;
    }
    SyncTooltips();
    AnnounceHighlight();
    InvalidateRect(window_, nullptr, FALSE);
}

// The window that the window system finds at the point, as it finds the window for the
// pointer's messages there: the pop-up, or the thread's tooltip control while it holds this
// window's tips. That control is neither a child of the pop-up nor owned by it (it outlives
// the pop-up, for the thread's later menus), so it is compared by its handle.
bool SnippetMenuView::IsWindowAt(PixelPoint point) noexcept {
    if (window_ == nullptr) {
        return false;
    }
    const HWND found = WindowFromPoint(POINT{point.x, point.y});
    if (found == nullptr) {
        return false;
    }
    const HWND root = GetAncestor(found, GA_ROOT);
    return root == window_ || (tooltip_ != nullptr && root == tooltip_);
}

void SnippetMenuView::SetTimer(bool enabled, unsigned intervalMs) noexcept {
    if (window_ == nullptr) {
        return;
    }
    if (enabled && !timerOn_) {
        ::SetTimer(window_, kTimerId, intervalMs, nullptr);
    } else if (!enabled && timerOn_) {
        KillTimer(window_, kTimerId);
    }
    timerOn_ = enabled;
}

int SnippetMenuView::ShowContextMenu(const std::vector<ContextMenuEntry>& entries,
                                     std::optional<PixelPoint> at) {
    if (window_ == nullptr) {
        return 0;
    }
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return 0;
    }
    for (const ContextMenuEntry& entry : entries) {
        if (entry.separator) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu.get(), MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED),
                        static_cast<UINT_PTR>(entry.id), entry.caption.c_str());
        }
    }
    POINT pointer{};
    if (at) {
        pointer = POINT{at->x, at->y};
    } else {
        GetCursorPos(&pointer);
    }
    // The menu closes on a click elsewhere only when its owner is the foreground window.
    SetForegroundWindow(window_);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD, pointer.x, pointer.y, 0, window_, nullptr));
    if (window_ != nullptr) {
        PostMessageW(window_, WM_NULL, 0, 0);
    }
    return chosen;
}

} // namespace quillery::win32
