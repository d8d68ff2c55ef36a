#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class HoverTest : public MenuFixture {
protected:
    // Which lines (by index), pads and links are highlighted now.
    std::string Highlighted() {
        std::string shown;
        const SnippetMenu& form = menu();
        for (std::size_t i = 0; i < form.lines.size(); ++i) {
            const bool line = form.lines[i].back == colors::kHighlightBack &&
                              form.lines[i].text == colors::kHighlightText;
            const bool pad = form.linePads[i].back == colors::kHighlightBack;
            if (line || pad) {
                shown += (line ? "L" : "") + std::string(pad ? "P" : "") + std::to_string(i) + " ";
            }
        }
        for (std::size_t k = 0; k < 2; ++k) {
            const bool entry = form.links[k].back == colors::kHighlightBack &&
                               form.links[k].text == colors::kHighlightText;
            const bool pad = form.linkPads[k].back == colors::kHighlightBack;
            if (entry || pad) {
                shown += (entry ? "E" : "") + std::string(pad ? "P" : "") + "x" +
                         std::to_string(k) + " ";
            }
        }
        return shown;
    }
    void Leave() {
        ui().Then([&] {
            ui().pointer = {-100, -100};
            ui().Tick();
        });
    }
};

TEST_F(HoverTest, PointerMovesHighlightAndSetTheCurrentItem) {
    SaveItems({1, 4, 5, 9});
    struct Step {
        const char* what;
        float x;
        int line; // 0: a link or the banner, by y below
        float y;
        std::string highlighted;
        std::int16_t currentItem;
        int entry; // the highlighted entry: lines 1 to 4, then the links as 5 and 6
    } steps[] = {
        {"line 3", 300, 3, 0, "LP3 ", 5, 3},
        {"line 4", 300, 4, 0, "LP4 ", 9, 4},
        {"pad of line 2", 100, 2, 0, "LP2 ", 4, 2},
        {"banner", 60, 0, 100, "LP2 ", 4, 2}, // the banner keeps the last highlight
        {"logo", 1000, 0, 200, "LP2 ", 4, 2},
        {"help entry", 300, 0, 240 * 4 + 785 + 120 - 90, "EPx0 ", 0, 5},
        {"links entry", 300, 0, 240 * 4 + 1025 + 120 - 90, "EPx1 ", 0, 6},
        {"line 1", 300, 1, 0, "LP1 ", 1, 1},
        {"gap between banner and lines", 300, 0, 480, "LP1 ", 1, 1},
    };
    ui().Then([&] {
        EXPECT_EQ(menu().EntryCount(), 6);
        EXPECT_EQ(menu().HighlightedEntry(), 0);
        for (const auto& step : steps) {
            const float y = step.line > 0 ? LineY(step.line) : step.y;
            menu().OnPointerMoved(step.x, y);
            EXPECT_EQ(Highlighted(), step.highlighted) << step.what;
            EXPECT_EQ(session().currentItem, step.currentItem) << step.what;
            EXPECT_EQ(menu().HighlightedEntry(), step.entry) << step.what;
        }
    });
    Leave();
    Request();
    EXPECT_TRUE(ui().unfinished.empty());
}

TEST_F(HoverTest, TagsThatAreNotItemNumbers) {
    SaveItems({1, 2});
    ui().Then([&] {
        menu().lines[1].tag = L"";
        menu().HighlightLine(1);
        EXPECT_EQ(session().currentItem, 0); // "0" & "" is 0
        EXPECT_EQ(Highlighted(), "LP1 ");

        menu().HighlightLine(2);
        EXPECT_EQ(session().currentItem, 2);
        menu().lines[1].tag = L"x1";
        menu().HighlightLine(1);
        EXPECT_EQ(session().currentItem, 2); // not a number: unchanged, still highlighted
        EXPECT_EQ(Highlighted(), "LP1 ");

        menu().HighlightLine(0);
        EXPECT_EQ(Highlighted(), "");
        EXPECT_EQ(session().currentItem, 0);
    });
    Leave();
    Request();
}

// Each request has a session of its own: nothing highlighted and no current item carries over.
TEST_F(HoverTest, NewWindowStartsWithDesignColoursAndNoCurrentItem) {
    SaveItems({1, 2});
    ui().Then([&] {
        menu().HighlightLine(2);
        EXPECT_EQ(session().currentItem, 2);
    });
    Leave();
    Request();
    ui().Then([&] {
        EXPECT_EQ(Highlighted(), "");
        EXPECT_EQ(session().currentItem, 0);
    });
    Leave();
    Request();
}

} // namespace
} // namespace quillery
