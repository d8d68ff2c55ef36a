// What a screen reader is told of the menu's entries: their names as shown, the lines' previews,
// access keys, the highlighted entry and where each entry lies, all from the menu's own state.

#include "menu/MenuEntryDescription.h"

#include "support/MenuFixture.h"

namespace quillery {
namespace {

using testing::MenuFixture;

class MenuEntryDescriptionTest : public MenuFixture {};

TEST_F(MenuEntryDescriptionTest, LinesAndLinksAsShown) {
    DataFile file;
    file.Header(1);
    file.Item(1, L"&Home address", L"  12 High Street  ");
    file.Item(4, L"R&&D team", std::wstring(60, L'x')); // item 2 and 3 empty: no lines
    file.Item(5, L"  e&mail  ", L"first line\r\nsecond line");
    Save(file);
    ui().Then([&] {
        struct Expected {
            std::wstring name;
            std::wstring description;
            std::optional<wchar_t> key;
            bool isLink;
        } expected[] = {
            {L"Home address", L"12 High Street", L'H', false},
            {L"R&D team", std::wstring(50, L'x') + L"...", {}, false},
            {L"email", L"first line...", L'M', false},
            {L"Help and Support", L"", {}, true},
            {L"Competition Sites", L"", {}, true},
        };
        ASSERT_EQ(menu().EntryCount(), 5);
        for (int entry = 1; entry <= 5; ++entry) {
            const auto described = DescribeEntry(menu(), entry);
            ASSERT_TRUE(described) << entry;
            const Expected& want = expected[entry - 1];
            EXPECT_EQ(described->name, want.name) << entry;
            EXPECT_EQ(described->description, want.description) << entry;
            EXPECT_EQ(described->accessKey, want.key) << entry;
            EXPECT_EQ(described->isLink, want.isLink) << entry;
            EXPECT_FALSE(described->highlighted) << entry;
        }
        EXPECT_FALSE(DescribeEntry(menu(), 0));
        EXPECT_FALSE(DescribeEntry(menu(), 6));
        EXPECT_FALSE(DescribeEntry(menu(), -1));
    });
    ui().Then(Leave());
    Request();
    ExpectEverythingClosed();
}

// One entry at most is highlighted, whichever the pointer moved onto last: a line or a link.
TEST_F(MenuEntryDescriptionTest, HighlightFollowsPointerAndLinks) {
    SaveItems({2, 3});
    ui().Then([&] {
        const auto highlighted = [&] {
            std::vector<int> entries;
            for (int entry = 1; entry <= menu().EntryCount(); ++entry) {
                if (DescribeEntry(menu(), entry)->highlighted) {
                    entries.push_back(entry);
                }
            }
            return entries;
        };
        EXPECT_EQ(highlighted(), std::vector<int>{});
        menu().OnPointerMoved(300, LineY(2));
        EXPECT_EQ(highlighted(), std::vector<int>{2});
        menu().OnLinkHovered(1);
        EXPECT_EQ(highlighted(), std::vector<int>{4});
        menu().HighlightLine(0);
        EXPECT_EQ(highlighted(), std::vector<int>{});
    });
    ui().Then(Leave());
    Request();
}

// Each entry's box covers its pad and its label, in window coordinates (the frame's top edge
// lies 90 twips above the window's), and the point at the centre of each box finds that entry.
TEST_F(MenuEntryDescriptionTest, BoxesAndHitTestAgree) {
    SaveItems({1, 2, 3});
    ui().Then([&] {
        const auto first = DescribeEntry(menu(), 1);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->box.left, 45);
        EXPECT_EQ(first->box.top, 585 - 90);
        EXPECT_EQ(first->box.width, 270 + 2205 - 45);
        EXPECT_EQ(first->box.height, 240);
        for (int entry = 1; entry <= menu().EntryCount(); ++entry) {
            const TwipsBox box = DescribeEntry(menu(), entry)->box;
            EXPECT_EQ(EntryAt(menu(), box.left + box.width / 2, box.top + box.height / 2), entry);
            EXPECT_EQ(EntryAt(menu(), box.left + 10, box.top + 10), entry) << "its pad";
        }
        EXPECT_EQ(EntryAt(menu(), 100, 200), 0) << "the banner";
        EXPECT_EQ(EntryAt(menu(), -10, 600), 0) << "left of the window";
        EXPECT_EQ(EntryAt(menu(), 300, menu().Layout().height + 100), 0) << "below the window";
    });
    ui().Then(Leave());
    Request();
}

} // namespace
} // namespace quillery
