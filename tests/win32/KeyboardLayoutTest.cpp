// The typing target's keyboard layout as the system's own tables answer it, with CapsLock off
// and on: what the resident program types into a program that takes only keys.

#include "app/KeyboardInput.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillery {
namespace {

using resident::kShiftHeld;
using resident::LayoutKey;

TEST(KeyboardLayoutTest, KeysOfTheUsLayoutWithCapsLockOffAndOn) {
    const HKL layout = GetKeyboardLayout(0);
    if (LOWORD(reinterpret_cast<UINT_PTR>(layout)) != 0x0409) {
        GTEST_SKIP() << "the cases are the US layout's";
    }
    struct Case {
        bool capsLock;
        char16_t unit;
        std::optional<LayoutKey> key;
    } cases[] = {
        {false, u'a', LayoutKey{'A', 0}},
        {false, u'A', LayoutKey{'A', kShiftHeld}},
        // CapsLock turns the letters' case, so Shift is inverted for them, and only for them.
        {true, u'a', LayoutKey{'A', kShiftHeld}},
        {true, u'A', LayoutKey{'A', 0}},
        {true, u'1', LayoutKey{'1', 0}},
        {true, u'!', LayoutKey{'1', kShiftHeld}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<int>(c.unit)
                                        << (c.capsLock ? " with CapsLock" : ""));
        EXPECT_EQ(app::LayoutAsItTypes(layout, c.capsLock)(c.unit), c.key);
    }
}

} // namespace
} // namespace quillery
