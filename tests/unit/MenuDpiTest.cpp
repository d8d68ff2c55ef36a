// The menu at the resolutions users run at: the window, its lines and the pointer's place in
// pixels, with twips per pixel taken separately across and down.

#include "menu/SnippetMenuPixels.h"
#include "support/MenuFixture.h"

#include <tuple>

namespace quillery {
namespace {

using testing::MenuFixture;

class MenuDpiTest : public MenuFixture {};

// Two lines, the pointer at (400, 300) when the menu loads. The window's corner lies at the
// pointer's x and 1000 twips above the window's middle; the pointer then goes to the banner,
// 100 and 140 twips into the window.
TEST_F(MenuDpiTest, WindowLinesSeparatorAndPointerInPixels) {
    struct Case {
        int dpiX, dpiY;
        PixelRect window;
        PixelPoint pointerOnBanner;
        int lineLeft, lineRight; // the lines' text boxes, across
        int lineTops[3];         // line 1's top, line 2's top, line 2's bottom
        int separatorY;          // the upper separator line
        int fontHeight;          // of the lines' 8.25-point font
    } cases[] = {
        // 15 twips per pixel: 2620 twips down is 174.67 pixels.
        {96, 96, {400, 175, 567, 292}, {407, 184}, 18, 165, {33, 49, 65}, 72, 11},
        // 12: rows 20 pixels apart; line 1 starts at 41.25 pixels.
        {120, 120, {400, 143, 609, 290}, {408, 155}, 22, 206, {41, 61, 81}, 90, 14},
        // 10: 2505 twips are 250.5 pixels; line 1 starts at 49.5, a pixel whose centre is in.
        {144, 144, {400, 112, 650, 288}, {410, 126}, 27, 247, {49, 73, 97}, 107, 17},
        // 7.5, a fraction of a twip per pixel.
        {192, 192, {400, 49, 734, 284}, {413, 68}, 36, 330, {66, 98, 130}, 143, 22},
        // More dots down than across: x at 15 twips per pixel, y at 10.
        {96, 144, {400, 112, 567, 288}, {407, 126}, 18, 165, {49, 73, 97}, 107, 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dpiX << " x " << c.dpiY << " dpi");
        SaveItems({1, 2});
        ui().SetDpi(c.dpiX, c.dpiY);
        ui().pointer = {400, 300};
        ui().cursorMoves.clear();
        RequestWith(
            {[&] {
                 const SnippetMenu& form = menu();
                 const PixelScale scale = ui().Scale();
                 const PixelRect window = ui().View("menu")->WindowRect();
                 EXPECT_EQ(window.left, c.window.left);
                 EXPECT_EQ(window.top, c.window.top);
                 EXPECT_EQ(window.right, c.window.right);
                 EXPECT_EQ(window.bottom, c.window.bottom);
                 ASSERT_FALSE(ui().cursorMoves.empty());
                 EXPECT_EQ(ui().cursorMoves.back().x, c.pointerOnBanner.x);
                 EXPECT_EQ(ui().cursorMoves.back().y, c.pointerOnBanner.y);

                 const PixelRect line1 = ClientPixels(form, form.Layout().lines[1].box, scale);
                 const PixelRect line2 = ClientPixels(form, form.Layout().lines[2].box, scale);
                 EXPECT_EQ(line1.left, c.lineLeft);
                 EXPECT_EQ(line1.right, c.lineRight);
                 EXPECT_EQ(line1.top, c.lineTops[0]);
                 EXPECT_EQ(line1.bottom, c.lineTops[1]); // no gap, no overlap
                 EXPECT_EQ(line2.top, c.lineTops[1]);
                 EXPECT_EQ(line2.bottom, c.lineTops[2]);
                 const PixelPoint separator = ClientPixels(form, form.Layout().upperSeparator.x1,
                                                           form.Layout().upperSeparator.y1, scale);
                 EXPECT_EQ(separator.y, c.separatorY);
                 EXPECT_EQ(FontPixelHeight(8.25, c.dpiY), c.fontHeight);
             },
             Leave()});
    }
}

// What the window draws at a pixel is what the pointer over that pixel hits: down a column
// through the lines and links, and across a line where its pad lies under its left end. At
// resolutions whose twips per pixel are whole, fractional and unending, and uneven ones.
TEST_F(MenuDpiTest, EveryPixelHitsThePartDrawnThere) {
    using Kind = SnippetMenu::Hit::Kind;
    const std::pair<int, int> resolutions[] = {{96, 96},   {110, 110}, {120, 120}, {144, 144},
                                               {168, 168}, {192, 192}, {96, 144},  {144, 96}};
    SaveItems({1, 2, 3});
    for (const auto& [dpiX, dpiY] : resolutions) {
        SCOPED_TRACE(::testing::Message() << dpiX << " x " << dpiY << " dpi");
        ui().SetDpi(dpiX, dpiY);
        RequestWith(
            {[&] {
                 const SnippetMenu& form = menu();
                 const PixelScale scale = ui().Scale();
                 // The parts in pixels, topmost first: lines over their pads.
                 std::vector<std::tuple<PixelRect, Kind, std::size_t>> parts;
                 for (std::size_t i = 1; i < form.Layout().lines.size(); ++i) {
                     parts.emplace_back(ClientPixels(form, form.Layout().lines[i].box, scale),
                                        Kind::Line, i);
                 }
                 for (std::size_t i = 1; i < form.Layout().linePads.size(); ++i) {
                     parts.emplace_back(ClientPixels(form, form.Layout().linePads[i].box, scale),
                                        Kind::LinePad, i);
                 }
                 for (std::size_t k = 0; k < 2; ++k) {
                     parts.emplace_back(ClientPixels(form, form.Layout().links[k].box, scale),
                                        Kind::Link, k);
                 }
                 const auto expectSame = [&](int x, int y) {
                     std::pair<Kind, std::size_t> drawn{Kind::None, 0};
                     for (const auto& [r, kind, index] : parts) {
                         if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
                             drawn = {kind, index};
                             break;
                         }
                     }
                     const SnippetMenu::Hit hit =
                         form.HitTest(scale.TwipsX(x) - form.Layout().frame.left,
                                      scale.TwipsY(y) - form.Layout().frame.top);
                     const bool listed = hit.kind == Kind::Line || hit.kind == Kind::LinePad ||
                                         hit.kind == Kind::Link;
                     const std::pair<Kind, std::size_t> found{
                         listed ? hit.kind : Kind::None,
                         listed ? static_cast<std::size_t>(hit.index) : 0};
                     EXPECT_EQ(found, drawn) << "pixel " << x << ", " << y;
                 };
                 const PixelRect window = ui().View("menu")->WindowRect();
                 for (int y = 0; y < window.bottom - window.top; ++y) {
                     expectSame(scale.X(1500), y);
                 }
                 const PixelRect line2 = ClientPixels(form, form.Layout().lines[2].box, scale);
                 for (int x = 0; x < window.right - window.left; ++x) {
                     expectSame(x, line2.top);
                     expectSame(x, line2.bottom - 1);
                 }
             },
             Leave()});
    }
}

} // namespace
} // namespace quillery
