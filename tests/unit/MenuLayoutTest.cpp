#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class MenuLayoutTest : public MenuFixture {};

TEST_F(MenuLayoutTest, GeometryForZeroOneTwoAndTwentyLines) {
    struct Case {
        int lines;
        float height;
        float separatorUpper;
        float helpTop;
        float linksTop;
        float frameHeight;
    } cases[] = {
        {0, 1280, 685, 785, 1025, 1365},
        {1, 1520, 925, 1025, 1265, 1605},
        {2, 1760, 1165, 1265, 1505, 1845},
        {20, 6080, 5485, 5585, 5825, 6165},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        std::vector<int> items;
        for (int item = 1; item <= c.lines; ++item) {
            items.push_back(item);
        }
        SaveItems(items);
        ui().pointer = {400, 300};
        ui().Then([&] {
            const FrmSelect& form = menu();
            EXPECT_EQ(module().ItemCount, c.lines);
            EXPECT_EQ(form.Height, c.height);
            EXPECT_EQ(form.Width, 2505);
            EXPECT_EQ(form.FraMain.width, 2505);
            EXPECT_EQ(form.FraMain.height, c.frameHeight);
            ASSERT_EQ(form.lblMenu.size(), static_cast<std::size_t>(c.lines + 1));
            EXPECT_FALSE(form.lblMenu[0].visible);
            for (int k = 1; k <= c.lines; ++k) {
                EXPECT_EQ(form.lblMenu[k].box.top, 345 + 240 * k);
                EXPECT_EQ(form.lblMenu[k].box.left, 270);
                EXPECT_EQ(form.Lblpad[k].box.top, 345 + 240 * k);
                EXPECT_EQ(form.Lblpad[k].box.left, 45);
                EXPECT_TRUE(form.lblMenu[k].visible && form.Lblpad[k].visible);
            }
            ASSERT_EQ(form.Line1.size(), 2u);
            ASSERT_EQ(form.Line1.count(2), 1u); // the separator is element 2; 1 never exists
            const LineShape& upper = form.Line1.at(2);
            const LineShape& lower = form.Line2.at(2);
            EXPECT_EQ(upper.y1, c.separatorUpper);
            EXPECT_EQ(upper.y2, c.separatorUpper);
            EXPECT_EQ(lower.y1, c.separatorUpper + 35);
            EXPECT_EQ(upper.x1, 100);
            EXPECT_EQ(upper.x2, 2405);
            EXPECT_TRUE(upper.visible && lower.visible);
            EXPECT_EQ(upper.color, SystemColor(9));
            EXPECT_EQ(lower.color, SystemColor(12));
            EXPECT_EQ(form.lblExtras[0].box.top, c.helpTop);
            EXPECT_EQ(form.lblExtras[1].box.top, c.linksTop);
            EXPECT_EQ(form.lblExtras[0].caption, L"Help and Support");
            EXPECT_EQ(form.lblExtras[1].caption, L"Competition Sites");
            for (int k = 0; k < 2; ++k) {
                EXPECT_EQ(form.lblExtras[k].box.left, 270);
                EXPECT_EQ(form.Lblpadextra[k].box.left, 45);
                EXPECT_EQ(form.Lblpadextra[k].box.top, form.lblExtras[k].box.top);
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
        const FrmSelect& form = menu();
        ASSERT_EQ(module().ItemCount, 18);
        EXPECT_EQ(form.lblMenu[2].tag, L"3");
        EXPECT_EQ(form.lblMenu[3].tag, L"5");
        EXPECT_EQ(form.lblMenu[18].tag, L"20");
        EXPECT_EQ(form.lblMenu[1].caption, L"Item 1" + std::wstring(24, L' '));
        EXPECT_EQ(form.lblMenu[4].caption, std::wstring(30, L'x'));
        // A second layout leaves exactly one set of lines and one separator pair.
        menu().DisplayMenu();
        EXPECT_EQ(form.lblMenu.size(), 19u);
        EXPECT_EQ(form.Lblpad.size(), 19u);
        EXPECT_EQ(form.Line1.size(), 2u);
        EXPECT_EQ(form.Line2.size(), 2u);
        EXPECT_EQ(form.Height, 240 * 18 + 1280);
        ui().pointer = {-5, -5};
        ui().Tick();
    });
    EXPECT_EQ(Request(), L"");
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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MenuTooltip(c.text), c.tooltip);
    }
}

} // namespace
} // namespace quillery
