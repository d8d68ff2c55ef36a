#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillery::resident {

// Whether a program at integrity level `target` runs above this one at `ours` (the last
// sub-authority of each process's integrity label: 0x1000 low, 0x2000 medium, 0x3000 high). The
// system drops input that a lower level sends a higher one without a word. A level that could
// not be read counts as above: a process that this one may not even ask is none to type into.
bool RunsAbove(std::optional<std::uint32_t> target, std::optional<std::uint32_t> ours);

// Whether a top-level window of class `windowClass` is a web browser's. Its title names the
// page it shows, and a page that replaced the one the menu was opened for (the tab navigated)
// shows as a new title while the window, the focused control and the process stay the same.
bool IsBrowserWindowClass(std::wstring_view windowClass);

// The longest program name that a notice shows, in characters (a surrogate pair is one).
inline constexpr std::size_t kShownTitleLimit = 60;

// A window title as a notice shows it between quotes: without control characters (C0, DEL,
// C1), the line and paragraph separators and the bidirectional formatting characters, any of
// which would break or reorder the sentence around it; a longer one cut to its first
// kShownTitleLimit - 1 characters and an ellipsis, never between the halves of a surrogate pair.
std::wstring ShownTitle(std::wstring_view title);

} // namespace quillery::resident
