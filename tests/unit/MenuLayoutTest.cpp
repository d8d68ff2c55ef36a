#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class MenuLayoutTest : public MenuFixture {};

// Rows stack 240 twips apart below the banner; the window grows by a row per line; the two
// links sit at the bottom of the frame and the separator lies between the last line and them.
TEST_F(MenuLayoutTest, GeometryForZeroOneTwoAndTwentyLines) {
    struct Case {
        int lines;
        float height;
    } cases[] = {{0, 1280}, {1, 1520}, {2, 1760}, {20, 6080}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        std::vector<int> items;
        for (int item = 1; item <= c.lines; ++item) {
            items.push_back(item);
        }
        SaveItems(items);
        ui().pointer = {400, 300};
        ui().Then([&] {
            const SnippetMenu& form = menu();
            EXPECT_EQ(form.LineCount(), c.lines);
            EXPECT_EQ(form.Layout().height, c.height);
            EXPECT_EQ(form.Layout().width, 2505);
            EXPECT_EQ(form.Layout().frame.width, form.Layout().width);
            EXPECT_EQ(form.Layout().frame.height, form.Layout().height + 85);
            ASSERT_EQ(form.Layout().lines.size(), static_cast<std::size_t>(c.lines + 1));
            ASSERT_EQ(form.Layout().linePads.size(), form.Layout().lines.size());
            EXPECT_FALSE(form.Layout().lines[0].visible);
            const float bannerBottom = form.Layout().banner.top + form.Layout().banner.height;
            for (int k = 1; k <= c.lines; ++k) {
                const Label& line = form.Layout().lines[k];
                const Label& pad = form.Layout().linePads[k];
                EXPECT_EQ(line.box.top, k == 1 ? 585 : form.Layout().lines[k - 1].box.top + 240)
                    << k;
                EXPECT_EQ(line.box.height, 240);
                EXPECT_EQ(line.box.left, 270);
                EXPECT_EQ(pad.box.top, line.box.top);
                EXPECT_EQ(pad.box.left, 45);
                EXPECT_TRUE(line.visible && pad.visible);
            }
            const float lastRowBottom =
                c.lines > 0 ? form.Layout().lines[c.lines].box.top + 240 : bannerBottom;

            const LineShape& upper = form.Layout().upperSeparator;
            const LineShape& lower = form.Layout().lowerSeparator;
            EXPECT_TRUE(upper.visible && lower.visible);
            EXPECT_EQ(upper.y2, upper.y1);
            EXPECT_EQ(lower.y2, lower.y1);
            EXPECT_EQ(lower.y1, upper.y1 + 35);
            EXPECT_GT(upper.y1, lastRowBottom);
            EXPECT_LT(lower.y1, form.Layout().links[0].box.top);
            EXPECT_EQ(upper.x1, 100); // across the frame, 100 twips in from each side
            EXPECT_EQ(upper.x2, form.Layout().frame.width - 100);
            EXPECT_EQ(lower.x1, upper.x1);
            EXPECT_EQ(lower.x2, upper.x2);
            EXPECT_EQ(upper.color, SystemColor(9));
            EXPECT_EQ(lower.color, SystemColor(12));

            EXPECT_EQ(form.Layout().links[0].caption, L"Help and Support");
            EXPECT_EQ(form.Layout().links[1].caption, L"Competition Sites");
            EXPECT_EQ(form.Layout().links[1].box.top, form.Layout().links[0].box.top + 240);
            EXPECT_EQ(form.Layout().links[1].box.top + 240 + 100,
                      form.Layout().frame.height); // 100 above the edge
            for (int k = 0; k < 2; ++k) {
                EXPECT_EQ(form.Layout().links[k].box.left, 270);
                EXPECT_EQ(form.Layout().linkPads[k].box.left, 45);
                EXPECT_EQ(form.Layout().linkPads[k].box.top, form.Layout().links[k].box.top);
            }
            ui().Tick(); // the pointer is left on the banner: stays open
            ui().pointer = {-100, -100};
            ui().Tick();
        });
        EXPECT_EQ(Request(), L"");
        EXPECT_TRUE(ui().unfinished.empty());
    }
}

TEST_F(MenuLayoutTest, LinesSkipEmptyItemsAndCarryTheirItemNumbers) {
    DataFile file;
    file.Header(1);
    for (int item = 1; item <= 20; ++item) {
        if (item != 2 && item != 4) {
            file.Item(item, L"Item " + std::to_wstring(item), L"t");
        }
    }
    file.Item(6, std::wstring(30, L'x'), L"thirty"); // a full description is kept whole
    file.Record(2, L"Record two", L"never shown", 0);
    file.Record(23, L"Record 23", L"never shown", 0);
    Save(file);
    ui().Then([&] {
        const SnippetMenu& form = menu();
        ASSERT_EQ(form.LineCount(), 18u);
        EXPECT_EQ(form.Layout().lineItems[2], 3);
        EXPECT_EQ(form.Layout().lineItems[3], 5);
        EXPECT_EQ(form.Layout().lineItems[18], 20);
        EXPECT_EQ(form.Layout().lines[1].caption, L"Item 1" + std::wstring(24, L' '));
        EXPECT_EQ(form.Layout().lines[4].caption, std::wstring(30, L'x'));
        // A second layout leaves exactly one set of lines, in the same places.
        const float separatorY = form.Layout().upperSeparator.y1;
        menu().DisplayMenu();
        EXPECT_EQ(form.Layout().lines.size(), 19u);
        EXPECT_EQ(form.Layout().linePads.size(), 19u);
        EXPECT_EQ(form.Layout().lines[18].box.top, 585 + 240 * 17);
        EXPECT_EQ(form.Layout().upperSeparator.y1, separatorY);
        EXPECT_EQ(form.Layout().height, 240 * 18 + 1280);
        ui().pointer = {-5, -5};
        ui().Tick();
    });
    EXPECT_EQ(Request(), L"");
}

// The window is moved or sized only when its place or size changes: a redraw after a hover
// must not push back a window that the window system has moved, and the menu's place follows
// such a move.
TEST_F(MenuLayoutTest, PlacedOnlyWhenItsPlaceOrSizeChangesAndFollowsAMove) {
    SaveItems({1, 2});
    ui().Then([&] {
        SnippetMenu& form = menu();
        FakeView& view = *ui().View("menu");
        using Place = std::array<float, 4>;
        ASSERT_FALSE(view.places.empty());
        EXPECT_EQ(view.places.back(), (Place{6000, 2620, 2505, 1760}));
        const auto placesAtLoad = view.places.size();

        const int redraws = view.refreshes;
        form.OnPointerMoved(300, LineY(1));
        form.OnPointerMoved(300, LineY(2));
        form.OnLinkHovered(0);
        EXPECT_GT(view.refreshes, redraws); // redrawn, but not moved
        EXPECT_EQ(view.places.size(), placesAtLoad);

        form.OnMovedByWindowSystem(1500, 900);
        EXPECT_EQ(form.TopLeft().x, 1500);
        EXPECT_EQ(form.TopLeft().y, 900);
        form.OnPointerMoved(300, LineY(1));
        EXPECT_EQ(view.places.size(), placesAtLoad);
        // The pointer watch measures the window where it now is: (100, 60) to (267, 177).
        ui().pointer = {110, 70};
        ui().Tick();
        EXPECT_TRUE(form.IsOpen());

        // A new line makes the window taller, where it now is.
        MenuRecord third = session().Snippet(3);
        third.SetDescription(L"Item 3");
        ASSERT_TRUE(session().SaveItem(3, third));
        form.DisplayMenu();
        ASSERT_EQ(view.places.size(), placesAtLoad + 1);
        EXPECT_EQ(view.places.back(), (Place{1500, 900, 2505, 2000}));
        ui().pointer = {-5, -5};
        ui().Tick();
    });
    EXPECT_EQ(RequestWithSession({}), L"");
}

TEST(MenuTooltipTest, PreviewOfTheText) {
    const std::wstring fifty(50, L'a');
    struct Case {
        std::wstring text;
        std::wstring tooltip;
    } cases[] = {
        {std::wstring(49, L'a') + std::wstring(151, L' '), std::wstring(49, L'a')},
        {fifty + std::wstring(150, L' '), fifty + L"..."},
        {fifty + L"bbbb", fifty + L"..."},
        {L"first line\r\nsecond line", L"first line..."},
        {L"\r\nstarts with a break\r\nand another", L"\r\nstarts with a break\r\nand another"},
        {L"   padded   ", L"padded"},
        {L"lone\nfeed and lone\rreturn", L"lone\nfeed and lone\rreturn"},
        {L"  " + std::wstring(40, L'c') + L"\r\nmore", std::wstring(40, L'c') + L"..."},
        {L"ends at a NUL  " + std::wstring(186, L'\0'), L"ends at a NUL"},
        // Control characters that the typing path leaves out are shown, not hidden.
        {L"a\x16"
         L"b\x1B\x7F\x9F\tc",
         L"a\\x16b\\x1B\\x7F\\x9F\tc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MenuTooltip(c.text), c.tooltip);
    }
}

} // namespace
} // namespace quillery
