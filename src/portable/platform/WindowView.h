#pragma once

#include "platform/Desktop.h"

#include <optional>
#include <string>
#include <vector>

namespace quillery {

// One entry of a context menu; a separator has no command.
struct ContextMenuEntry {
    int id = 0;
    std::wstring caption; // '&' marks the access key
    bool enabled = true;
    bool separator = false;
};

// The native window of one of the component's windows. The window's presenter holds all of
// its state (geometry in twips, texts, colours) and decides everything; its view draws that
// state and turns the window system's messages into the presenter's events.
class WindowView {
public:
    virtual ~WindowView() = default;

    // Brings the native window in line with the presenter's state and redraws it.
    virtual void Refresh() = 0;

    // Shows the window modally and dispatches messages until EndModal. The thread's other
    // top-level windows are disabled meanwhile and exactly those are enabled again after.
    virtual void RunModal() = 0;

    // Destroys the native window at once and lets RunModal return. The view object itself
    // stays valid until its owner releases it, so a handler on the stack may still return.
    virtual void EndModal() noexcept = 0;

    // The window's rectangle on the screen, in pixels, as the window system reports it.
    virtual PixelRect WindowRect() noexcept = 0;
};

// A window that also has a timer and a context menu: the snippet menu's. Its Refresh() only
// redraws: the window is moved and sized through Place() alone, so that a redraw never moves a
// window that someone else has moved.
class PopupView : public WindowView {
public:
    // Moves and sizes the window: its outer rectangle on the screen, in twips.
    virtual void Place(float left, float top, float width, float height) noexcept = 0;

    // Whether the window that the window system finds at a screen point, as it finds the window
    // for the pointer's messages there, is this one (or a window it shows for itself, such as
    // its tooltip). It does not read WindowRect(), so where the system's hit-testing and the
    // rectangle it reports disagree, it is a second opinion.
    virtual bool IsWindowAt(PixelPoint point) noexcept = 0;

    // Starts (from a full interval) or stops the window's timer.
    virtual void SetTimer(bool enabled, unsigned intervalMs) noexcept = 0;

    // Shows a context menu of this window with its top-left corner at `at` (screen pixels, as
    // the pointer's position is given), or at the pointer when there is no place, and returns
    // the id of the chosen entry, or 0 when the menu was dismissed. Returns only when the menu
    // has closed.
    virtual int ShowContextMenu(const std::vector<ContextMenuEntry>& entries,
                                std::optional<PixelPoint> at) = 0;
};

} // namespace quillery
