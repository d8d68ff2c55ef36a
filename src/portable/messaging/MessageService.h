#pragma once

#include "messaging/MessageFraming.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quillery::messaging {

// The chosen snippet's text in UTF-8; empty when the menu closed without a choice.
struct MenuText {
    std::string utf8;
};
// Why no menu could be shown.
struct MenuError {
    std::string message;
};
using MenuOutcome = std::variant<MenuText, MenuError>;

// A point on the screen, in the desktop's pixels, as the browser asked for it: where the menu
// is to open. Any whole number; one beyond what JSON carries exactly (2^53 - 1 either way) is
// held at that bound, so that it still says which way the point lies.
struct ScreenPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// A rectangle of the screen in pixels, its right and bottom edges outside it: a monitor's
// work area.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A pixel of the screen.
struct ScreenPixel {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPixel& other) const { return x == other.x && y == other.y; }
};

// The pixel of `area` nearest to `point`: a point inside is itself, one outside is moved onto
// the area's edge, never refused. An empty area gives its top-left corner.
ScreenPixel NearestPixelIn(const ScreenArea& area, const ScreenPoint& point) noexcept;

// Shows the snippet menu and waits until it has closed, or until the host's input has ended:
// then nobody is left to choose from it or to read its answer.
class MenuService {
public:
    virtual ~MenuService() = default;
    // The menu's outcome once it has closed. Nothing when the input ended first, and the menu
    // is then still open; or when it had ended already, and no menu opened. The menu opens at
    // `at`, or at the pointer where there is no point.
    virtual std::optional<MenuOutcome> ShowMenu(std::optional<ScreenPoint> at) = 0;
    // Closes the menu that ShowMenu() left open, without a choice, and waits until it has
    // closed (for a bounded time); its outcome is dropped.
    virtual void CloseMenu() = 0;
};

// The JSON answer to one message: {"text": ...} or {"error": ...} for {"request": "menu"}
// (which may name where the menu opens: "at": {"x": ..., "y": ...}, whole numbers in pixels),
// {"error": ...} for anything else. Nothing when the input ended while the menu was open, which
// is closed then.
std::optional<std::string> AnswerTo(std::string_view message, MenuService& menu);

// Answers each message of `incoming` on `output`, in order, one at a time, until the input ends
// or no message has come for `idleLimit` since the last answer (the time a menu is open does not
// count). Returns the process's exit status: 0 when the input ended (also while a menu was open,
// which then goes unanswered and ends the serving) or the host was idle that long, 1 when an
// answer could not be written.
int ServeMessages(IncomingMessages& incoming, ByteSink& output, MenuService& menu,
                  std::chrono::milliseconds idleLimit);

} // namespace quillery::messaging
