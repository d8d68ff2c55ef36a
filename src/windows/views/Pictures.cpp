#include "views/Pictures.h"

namespace quillery::win32 {

namespace {

// The illustration is drawn in its design's units, mapped onto `rect` by the device context: so
// it is drawn at the size it is shown at, sharp at every resolution, rather than a small picture
// stretched.
template <typename DrawInDesignUnits>
void DrawScaled(HDC dc, const RECT& rect, int width, int height, DrawInDesignUnits draw) {
    const int saved = SaveDC(dc);
    if (saved == 0) {
        return;
    }
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, width, height, nullptr);
    SetViewportExtEx(dc, rect.right - rect.left, rect.bottom - rect.top, nullptr);
    SetViewportOrgEx(dc, rect.left, rect.top, nullptr);
    draw(dc);
    RestoreDC(dc, saved);
}

void FillColor(HDC dc, const RECT& rect, COLORREF color) {
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(color));
    FillRect(dc, &rect, brush.get());
}

void DrawQuill(HDC dc, int x, int y, int size, COLORREF color) {
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(color));
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, color));
    SelectedObject selectedBrush(dc, brush.get());
    SelectedObject selectedPen(dc, pen.get());
    const POINT feather[] = {{x, y + size},
                             {x + size / 3, y + size / 2},
                             {x + size, y},
                             {x + size / 2, y + size * 2 / 3}};
    Polygon(dc, feather, 4);
}

// Made as the module loads, before any thread can paint.
KeptBitmap g_logo;
KeptBitmap g_menuBackBuffer;

// The logo drawn straight at the size it is shown at, its parts placed and sized in proportion
// to that size: a stretch of a picture drawn larger, with halftoning, cost more than a
// millisecond at the first paint of every process.
void DrawLogoAtSize(HDC dc, int width, int height) {
    constexpr COLORREF kInk = RGB(0, 0, 192);
    FillColor(dc, RECT{0, 0, width, height}, RGB(255, 255, 255));
    DrawQuill(dc, height / 8, height * 3 / 32, height * 13 / 16, kInk);
    LOGFONTW face{};
    face.lfHeight = -(height * 5 / 8); // the character height, in pixels
    face.lfWeight = FW_BOLD;
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(face.lfFaceName, L"Arial", LF_FACESIZE);
    UniqueGdi<HFONT> font(CreateFontIndirectW(&face));
    SelectedObject selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kInk);
    RECT text{width * 36 / 153, 0, width, height};
    DrawTextW(dc, L"Quillery", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

} // namespace

KeptBitmap& MenuBackBuffer() {
    return g_menuBackBuffer;
}

// The logo as the menu shows it, drawn once for the process at the size it is shown at: every
// menu paints it, and drawing it (a bold font, text, a halftone stretch) costs more than the
// rest of the menu.
void DrawLogo(HDC dc, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    g_logo.Use(dc, width, height, [&](HDC logo, bool made) {
        if (made) {
            DrawLogoAtSize(logo, width, height);
        }
        BitBlt(dc, rect.left, rect.top, width, height, logo, 0, 0, SRCCOPY);
    });
}

void ReleaseKeptBitmaps() noexcept {
    g_logo.Release();
    g_menuBackBuffer.Release();
}

void DrawIllustration(HDC dc, const RECT& rect) {
    constexpr int kWidth = 215;
    constexpr int kHeight = 237;
    DrawScaled(dc, rect, kWidth, kHeight, [](HDC canvas) {
        FillColor(canvas, RECT{0, 0, kWidth, kHeight}, RGB(255, 255, 255));
        // A small pop-up menu with one line highlighted, and the pointer over it.
        FillColor(canvas, RECT{30, 40, 185, 200}, GetSysColor(COLOR_BTNFACE));
        FillColor(canvas, RECT{34, 44, 181, 70}, RGB(255, 255, 255));
        DrawQuill(canvas, 40, 47, 20, RGB(0, 0, 192));
        for (int line = 0; line < 5; ++line) {
            const int top = 80 + line * 22;
            const bool chosen = line == 2;
            FillColor(canvas, RECT{38, top, 177, top + 18},
                      chosen ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE));
            FillColor(canvas, RECT{60, top + 7, 60 + 80 - line * 9, top + 11},
                      chosen ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(64, 64, 64));
        }
        const POINT arrow[] = {{120, 128}, {120, 150}, {126, 144}, {131, 154},
                               {135, 152}, {130, 142}, {138, 142}};
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(RGB(255, 255, 255)));
        UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        SelectedObject selectedBrush(canvas, brush.get());
        SelectedObject selectedPen(canvas, pen.get());
        Polygon(canvas, arrow, 7);
    });
}

} // namespace quillery::win32
