#include "menu/LaunchExternal.h"
#include "messages/Messages.h"
#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

TEST(LaunchDirectoryTest, FromTheTarget) {
    struct Case {
        std::wstring target;
        std::wstring directory;
    } cases[] = {
        {L"C:\\Docs\\a.txt", L"C:\\Docs"},
        {L"C:\\a.txt", L"C:\\"},
        {L"\\a.txt", L"\\"},
        {L"http://www.example.com/q?fact=12345&ref=help", L"CURRENT"},
        {L"C:\\Program Files\\Some App\\read me.txt", L"C:\\Program Files\\Some App"},
        {L"\\\\server\\share\\file", L"\\\\server\\share"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LaunchDirectory(c.target, L"CURRENT"), c.directory);
    }
}

class LauncherTest : public MenuFixture {};

TEST_F(LauncherTest, OpensTheWholeTargetMinimisedWithABusyPointer) {
    const std::wstring target = L"C:\\Program Files\\Some App\\read me.txt";
    LaunchExternal(platform.port, target);
    ASSERT_EQ(platform.shell.launches.size(), 1u);
    const auto& launch = platform.shell.launches[0];
    EXPECT_EQ(launch.operation, L"open");
    EXPECT_EQ(launch.file, target);
    EXPECT_EQ(launch.parameters, L"");
    EXPECT_EQ(launch.directory, L"C:\\Program Files\\Some App");
    EXPECT_EQ(launch.show, 6);
    EXPECT_EQ(ui().busyPointer, (std::vector<bool>{true, false}));
    EXPECT_EQ(ui().doEventsCalls, 1);
    EXPECT_TRUE(platform.dialogs.shown.empty());
}

TEST_F(LauncherTest, FailuresAreOneWarningAndThePointerComesBack) {
    struct Case {
        std::intptr_t result;
        bool throws;
        bool warned;
    } cases[] = {{33, false, false},
                 {32, false, true},
                 {2, false, true},
                 {0, false, true},
                 {42, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        platform.dialogs.shown.clear();
        ui().busyPointer.clear();
        platform.shell.result = c.result;
        platform.shell.throwOnExecute = c.throws;
        LaunchExternal(platform.port, L"http://www.example.com/");
        EXPECT_EQ(ui().busyPointer.back(), false);
        ASSERT_EQ(platform.dialogs.shown.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            EXPECT_EQ(platform.dialogs.shown[0].text, L"External application launch failed");
            EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
        }
    }
}

TEST_F(LauncherTest, EachControlOpensItsAddressAndTheMenuStaysOpen) {
    SaveItems({1, 2});
    platform.system.serial = 0x1234ABCD;
    const std::wstring site = std::wstring(testing::kBaseAddress) + L"?fact=30544";
    struct Click {
        const char* what;
        float x;
        float y; // window coordinates, twips
        std::wstring opens;
    } clicks[] = {
        {"banner outside the logo", 60, 100, site},
        {"logo", 1000, 200, site + L"&ref=links"},
        {"Help and Support", 500, 240 * 2 + 785 + 120 - 90, site + L"&ref=help"},
        {"Competition Sites", 500, 240 * 2 + 1025 + 120 - 90, site + L"&ref=links"},
    };
    RequestWith({[&] {
                     for (const auto& click : clicks) {
                         platform.shell.launches.clear();
                         menu().OnButtonPressed(click.x, click.y, MouseButton::Left);
                         menu().OnButtonReleased(click.x, click.y, MouseButton::Left);
                         ASSERT_EQ(platform.shell.launches.size(), 1u) << click.what;
                         EXPECT_EQ(platform.shell.launches[0].file, click.opens) << click.what;
                         EXPECT_EQ(platform.shell.launches[0].directory, L"C:\\Host\\Current");
                         EXPECT_TRUE(menu().IsOpen());
                     }
                     // Pressed on one control and released on another: no click.
                     platform.shell.launches.clear();
                     menu().OnButtonPressed(60, 100, MouseButton::Left);
                     menu().OnButtonReleased(1000, 200, MouseButton::Left);
                     EXPECT_TRUE(platform.shell.launches.empty());
                 },
                 Leave()});
}

TEST_F(LauncherTest, TimerClosingTheMenuDuringTheLaunchIsHarmless) {
    SaveItems({1});
    platform.shell.result = 2;
    EXPECT_EQ(RequestWith({[&] {
                  ui().pointer = {-300, -300};
                  ui().Pending([&] { ui().Tick(); });
                  menu().OnLinkClicked(0);
                  EXPECT_FALSE(menu().IsOpen());
              }}),
              L"");
    EXPECT_EQ(Boxes(), std::vector<std::wstring>{messages::kLaunchFailed});
}

} // namespace
} // namespace quillery
