#include "forms/ErrorReporter.h"
#include "forms/RequestWindows.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillery {
namespace {

class RecordingWindow final : public ClosableWindow {
public:
    RecordingWindow(std::string name, std::vector<std::string>& log, bool open)
        : name_(std::move(name)), log_(log), open_(open) {}
    bool IsOpen() const override { return open_; }
    void Close() noexcept override {
        log_.push_back(name_);
        open_ = false;
        if (whileClosing) {
            whileClosing();
        }
    }
    std::function<void()> whileClosing;

private:
    std::string name_;
    std::vector<std::string>& log_;
    bool open_;
};

class ErrorReporterTest : public ::testing::Test {
protected:
    testing::FakePlatform platform;
    RequestWindows windows;
    ErrorReporter reporter{platform.dialogs, windows};
    std::vector<std::string> closed;
    RecordingWindow editor{"editor", closed, true};
    RecordingWindow welcome{"welcome", closed, true};
    RecordingWindow menu{"menu", closed, true};

    void RegisterAll() {
        windows.Register(WindowRole::Menu, &menu);
        windows.Register(WindowRole::Welcome, &welcome);
        windows.Register(WindowRole::Editor, &editor);
    }
};

TEST_F(ErrorReporterTest, BoxShowsTheMessageAloneWithTheIconOfItsKind) {
    RegisterAll();
    ShowErrorBox(platform.dialogs, L"External application launch failed", false);
    ShowErrorBox(platform.dialogs, L"Error saving menu item", true);
    ASSERT_EQ(platform.dialogs.shown.size(), 2u);
    EXPECT_EQ(platform.dialogs.shown[0].text, L"External application launch failed");
    EXPECT_EQ(platform.dialogs.shown[0].title, L"Quillery");
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
    EXPECT_EQ(platform.dialogs.shown[1].text, L"Error saving menu item");
    EXPECT_EQ(platform.dialogs.shown[1].style, 16u);
    EXPECT_TRUE(closed.empty()); // the box alone closes no window
}

TEST_F(ErrorReporterTest, WarningClosesNothingFatalClosesInOrder) {
    RegisterAll();
    reporter.Report(L"warning", false);
    EXPECT_TRUE(closed.empty());
    reporter.Report(L"fatal", true);
    EXPECT_EQ(closed, (std::vector<std::string>{"editor", "welcome", "menu"}));
    ASSERT_EQ(platform.dialogs.shown.size(), 2u);
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
    EXPECT_EQ(platform.dialogs.shown[1].style, 16u);
}

TEST_F(ErrorReporterTest, ClosesOnlyOpenWindowsAndNeverFails) {
    RecordingWindow closedWelcome{"welcome", closed, false};
    windows.Register(WindowRole::Welcome, &closedWelcome);
    windows.Register(WindowRole::Menu, &menu);
    reporter.Report(L"fatal with no editor", true);
    EXPECT_EQ(closed, std::vector<std::string>{"menu"});

    // A box that cannot be shown stops nothing.
    closed.clear();
    RecordingWindow editor2{"editor", closed, true};
    RecordingWindow menu2{"menu", closed, true};
    windows.Register(WindowRole::Editor, &editor2);
    windows.Register(WindowRole::Menu, &menu2);
    platform.dialogs.failToShow = true;
    EXPECT_NO_THROW(reporter.Report(L"fatal", true));
    EXPECT_EQ(closed, (std::vector<std::string>{"editor", "menu"}));
    EXPECT_FALSE(windows.ClosingAll()); // over once the windows have closed
}

// A fatal report from an unload step that runs while an earlier report closes the windows:
// once it returns, the later unload steps still know that everything is closing.
TEST_F(ErrorReporterTest, ReportDuringClosingLeavesTheClosingStateOn) {
    RegisterAll();
    bool stillClosing = false;
    editor.whileClosing = [&] {
        reporter.Report(L"Error saving menu item", true);
        stillClosing = windows.ClosingAll();
    };
    reporter.Report(L"Error retrieving menu item", true);
    EXPECT_TRUE(stillClosing);
    EXPECT_EQ(closed, (std::vector<std::string>{"editor", "welcome", "menu"}));
    EXPECT_FALSE(windows.ClosingAll());
}

TEST_F(ErrorReporterTest, FatalWithNoWindowsJustShowsTheBox) {
    EXPECT_NO_THROW(reporter.Report(L"Error opening data file", true));
    EXPECT_EQ(platform.dialogs.shown.size(), 1u);
}

} // namespace
} // namespace quillery
