#include "shell/ReportError.h"
#include "shared/ThreadContext.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

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
    void Close() override {
        log_.push_back(name_);
        open_ = false;
        if (throwOnClose) {
            throw std::runtime_error("close failed");
        }
    }
    bool throwOnClose = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
    bool open_;
};

class ReportErrorTest : public ::testing::Test {
protected:
    testing::FakePlatform platform;
    std::vector<std::string> closed;
    RecordingWindow editor{"editor", closed, true};
    RecordingWindow intro{"intro", closed, true};
    RecordingWindow popup{"popup", closed, true};

    void RegisterAll() {
        CurrentThread().RegisterWindow(FatalCloseSlot::Select, &popup);
        CurrentThread().RegisterWindow(FatalCloseSlot::Intro, &intro);
        CurrentThread().RegisterWindow(FatalCloseSlot::EditItem, &editor);
    }
};

TEST_F(ReportErrorTest, BoxShowsTheMessageAloneWithTheIconOfItsKind) {
    RegisterAll();
    ReportError(L"External application launch failed", false);
    ReportError(L"Error saving menu item", true);
    ASSERT_EQ(platform.dialogs.shown.size(), 2u);
    EXPECT_EQ(platform.dialogs.shown[0].text, L"External application launch failed");
    EXPECT_EQ(platform.dialogs.shown[0].title, L"Quillery");
    EXPECT_EQ(platform.dialogs.shown[0].style, 48u);
    EXPECT_EQ(platform.dialogs.shown[1].text, L"Error saving menu item");
    EXPECT_EQ(platform.dialogs.shown[1].style, 16u);
}

TEST_F(ReportErrorTest, WarningClosesNothingFatalClosesInOrder) {
    RegisterAll();
    ReportError(L"warning", false);
    EXPECT_TRUE(closed.empty());
    ReportError(L"fatal", true);
    EXPECT_EQ(closed, (std::vector<std::string>{"editor", "intro", "popup"}));
}

TEST_F(ReportErrorTest, ClosesOnlyOpenWindowsAndNeverFails) {
    RecordingWindow closedIntro{"intro", closed, false};
    CurrentThread().RegisterWindow(FatalCloseSlot::Intro, &closedIntro);
    CurrentThread().RegisterWindow(FatalCloseSlot::Select, &popup);
    ReportError(L"fatal with no editor", true);
    EXPECT_EQ(closed, std::vector<std::string>{"popup"});

    // A box that cannot be shown and a window that fails to close stop nothing.
    closed.clear();
    RecordingWindow failingEditor{"editor", closed, true};
    failingEditor.throwOnClose = true;
    RecordingWindow popup2{"popup", closed, true};
    CurrentThread().RegisterWindow(FatalCloseSlot::EditItem, &failingEditor);
    CurrentThread().RegisterWindow(FatalCloseSlot::Select, &popup2);
    platform.dialogs.failToShow = true;
    EXPECT_NO_THROW(ReportError(L"fatal", true));
    EXPECT_EQ(closed, (std::vector<std::string>{"editor", "popup"}));
}

TEST_F(ReportErrorTest, FatalWithNoWindowsJustShowsTheBox) {
    EXPECT_NO_THROW(ReportError(L"Error opening data file", true));
    EXPECT_EQ(platform.dialogs.shown.size(), 1u);
}

} // namespace
} // namespace quillery
