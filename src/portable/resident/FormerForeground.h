#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quillery::resident {

// One top-level window of the desktop as the resident program sees it when its icon is used.
// A window is named by its handle as a number; `family` is its root owner, which a program's
// main window shares with the pop-ups it owns.
struct StackedWindow {
    std::uintptr_t window = 0;
    std::uintptr_t family = 0;
    bool visible = true;
    bool minimized = false;
    bool cloaked = false;    // marked visible but kept off the screen (another virtual desktop)
    bool toolWindow = false; // a palette or a floating toolbar, not a place the user types
    bool noActivate = false; // never takes the keyboard
    bool disabled = false;   // cannot be activated
    bool topmost = false;    // stays above the other windows whichever of them is active
    bool shell = false;      // the taskbar, the notification area and its overflow, the desktop
    bool ours = false;       // this program's
};

// The window the user was in before the shell (or this program) took the foreground, among the
// top-level windows listed from the top of the z-order: the first that is shown (visible, not
// minimized, not cloaked), can take the keyboard (no tool window, none that refuses activation
// or is disabled), and is neither the shell's nor this program's. Activation brings a window to
// the top of its band, so the z-order decides; `lastSeenFamily`, the family of the last window
// the system reported in front (0 when none), is taken only where the order cannot tell: when
// its window is the first such window that is not topmost, under topmost ones, which stay above
// whichever window is activated. A family that has gone, or that another window came in front
// of, is not taken. The index of the window in `fromTheTop`; none when no window qualifies.
std::optional<std::size_t> FormerForeground(const std::vector<StackedWindow>& fromTheTop,
                                            std::uintptr_t lastSeenFamily);

} // namespace quillery::resident
