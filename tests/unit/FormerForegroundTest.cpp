// Which window the icon's menu is for, from the desktop's windows listed from the top and the
// family of the last window reported in front.

#include "resident/FormerForeground.h"

#include <gtest/gtest.h>

namespace quillery::resident {
namespace {

TEST(FormerForegroundTest, TheWindowsOrderDecidesTheLastSeenOnlyBelowTopmostOnes) {
    // 1 to 3 are programs' main windows, each its own family; 4 is a dialog of 3.
    const StackedWindow one{.window = 1, .family = 1}, two{.window = 2, .family = 2};
    const StackedWindow three{.window = 3, .family = 3}, dialog{.window = 4, .family = 3};
    const StackedWindow tray{.window = 10, .family = 10, .topmost = true, .shell = true};
    const StackedWindow ours{.window = 11, .family = 11, .ours = true};
    const StackedWindow note{.window = 12, .family = 12, .topmost = true};
    const std::vector<StackedWindow> passedOver{{.window = 20, .visible = false},
                                                {.window = 21, .minimized = true},
                                                {.window = 22, .cloaked = true},
                                                {.window = 23, .toolWindow = true},
                                                {.window = 24, .noActivate = true},
                                                {.window = 25, .disabled = true},
                                                tray,
                                                ours};
    std::vector<StackedWindow> passedOverThenTwo = passedOver;
    passedOverThenTwo.insert(passedOverThenTwo.end(), {two, one});
    struct Case {
        const char* what;
        std::vector<StackedWindow> fromTheTop;
        std::uintptr_t lastSeen;
        std::optional<std::uintptr_t> chosen;
    } cases[] = {
        {"windows that could not have had the keyboard in front", passedOverThenTwo, 0, 2},
        {"the last seen behind another (seen at start)", {tray, two, one}, 1, 2},
        {"the last seen closed since", {tray, two, one}, 99, 2},
        {"the last seen below a topmost window", {tray, note, one, two}, 1, 1},
        {"the last seen below a topmost window, behind another", {note, two, one}, 1, 12},
        {"a topmost window in front, nothing seen", {tray, note, one}, 0, 12},
        {"a dialog above its program's window", {dialog, three, one}, 3, 4},
        {"none that could have had the keyboard", passedOver, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<std::size_t> found = FormerForeground(c.fromTheTop, c.lastSeen);
        ASSERT_EQ(found.has_value(), c.chosen.has_value());
        if (found) {
            EXPECT_EQ(c.fromTheTop[*found].window, *c.chosen);
        }
    }
}

} // namespace
} // namespace quillery::resident
