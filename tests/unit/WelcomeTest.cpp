#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::DataFile;
using testing::MenuFixture;
using testing::RecordBytesOf;

class WelcomeTest : public MenuFixture {
protected:
    std::vector<std::uint8_t> Header() {
        const auto bytes = Bytes();
        return {bytes.begin(), bytes.begin() + std::min<std::size_t>(232, bytes.size())};
    }
    void LeaveAndTick() {
        ui().Then([&] {
            ui().pointer = {-100, -100};
            ui().Tick();
        });
    }
};

TEST_F(WelcomeTest, AnswersAndTheFlagWrittenBack) {
    enum class Answer { TickAndContinue, Continue, CloseBox, TickThenCloseBox };
    struct Case {
        const char* name;
        std::int16_t flag;
        Answer answer;
        std::int16_t written;
    } cases[] = {
        {"ticked, Continue", 0, Answer::TickAndContinue, 1},
        {"unticked, Continue", 0, Answer::Continue, 0},
        {"close box", 0, Answer::CloseBox, 0},
        {"ticked, then close box", 0, Answer::TickThenCloseBox, 0},
        {"flag -1", -1, Answer::TickAndContinue, 1},
        {"flag 2", 2, Answer::Continue, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataFile file;
        file.Header(c.flag).Item(1, L"One", L"one");
        Save(file);
        ui().pointer = {40, 130};
        ui().Then([&] {
            EXPECT_EQ(welcome().caption, L"Welcome to Quillery");
            EXPECT_EQ(welcome().left, menu().Layout().left); // over the menu's corner
            EXPECT_EQ(welcome().top, menu().Layout().top);
            EXPECT_FALSE(welcome().dontShowAgain);
            switch (c.answer) {
            case Answer::TickAndContinue:
                welcome().OnDontShowAgainChanged(true);
                welcome().OnContinue();
                break;
            case Answer::Continue:
                welcome().OnContinue();
                break;
            case Answer::TickThenCloseBox:
                welcome().OnDontShowAgainChanged(true);
                welcome().Close();
                break;
            case Answer::CloseBox:
                welcome().Close();
                break;
            }
        });
        LeaveAndTick();
        EXPECT_EQ(Request(), L"");
        EXPECT_EQ(ui().modalOrder.back(), "menu");
        EXPECT_EQ(Header(), RecordBytesOf(L"Header", testing::kBaseAddress, c.written));
        EXPECT_EQ(platform.files.writtenRecords, std::vector<int>{1});
        platform.files.writtenRecords.clear();
        ui().modalOrder.clear();
    }
}

TEST_F(WelcomeTest, FlagOneShowsNothingAndWritesNothing) {
    SaveItems({1});
    LeaveAndTick();
    Request();
    EXPECT_EQ(ui().modalOrder, std::vector<std::string>{"menu"});
    EXPECT_TRUE(platform.files.writtenRecords.empty());
}

TEST_F(WelcomeTest, EmptyFileGetsItsHeaderWritten) {
    Save(DataFile{});
    ui().Then([&] { welcome().OnContinue(); });
    ui().Then([&] {
        EXPECT_EQ(menu().LineCount(), 0);
        ui().pointer = {-100, -100};
        ui().Tick();
    });
    EXPECT_EQ(Request(), L"");
    EXPECT_EQ(Bytes(), std::vector<std::uint8_t>(232, 0)); // all NUL as read, flag 0
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"welcome", "menu"}));
}

TEST_F(WelcomeTest, SwitchedOffItStaysOff) {
    SaveItems({1}, 0);
    ui().Then([&] {
        welcome().OnDontShowAgainChanged(true);
        welcome().OnContinue();
    });
    LeaveAndTick();
    Request();
    LeaveAndTick();
    Request();
    EXPECT_EQ(ui().modalOrder, (std::vector<std::string>{"welcome", "menu", "menu"}));
}

TEST_F(WelcomeTest, FatalReportWhileTheWelcomeIsUpClosesBothAndWritesNothing) {
    SaveItems({1}, 0);
    const auto before = Bytes();
    EXPECT_EQ(RequestWithSession({[&] {
                                     WelcomeWindow& shown = welcome();
                                     session().Errors().Report(L"Error saving menu item", true);
                                     EXPECT_FALSE(shown.IsOpen());
                                     EXPECT_FALSE(menu().IsOpen());
                                 }},
                                 MenuExpected::NotShown),
              L"");
    ExpectEverythingClosed();
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(ui().unfinished.empty());
}

} // namespace
} // namespace quillery
