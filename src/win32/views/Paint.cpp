#include "win32/views/Paint.h"

#include "win32/CriticalSection.h"
#include "win32/ScreenDpi.h"

#include <cmath>
#include <mutex> // std::lock_guard only

namespace quillery::win32 {

COLORREF ResolveColor(ColorRef color) {
    if ((color & 0x80000000u) != 0) {
        return GetSysColor(static_cast<int>(color & 0xFFu));
    }
    return static_cast<COLORREF>(color);
}

HFONT CreatePointFont(const wchar_t* family, double points, bool bold) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * ScreenDpi() / 72.0));
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, family, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

namespace {

// Both pictures are drawn at their design size and stretched, like a picture in an image box.
template <typename DrawAtDesignSize>
void DrawStretched(HDC dc, const RECT& rect, int width, int height, DrawAtDesignSize draw) {
    UniqueDc memory(CreateCompatibleDC(dc));
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !bitmap) {
        return;
    }
    SelectedObject selected(memory.get(), bitmap.get());
    draw(memory.get());
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               memory.get(), 0, 0, width, height, SRCCOPY);
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

// The logo as the menu shows it, drawn once for the process at the size it is shown at: every
// menu paints it, and drawing it (a bold font, text, a halftone stretch) costs more than the
// rest of the menu. Windows of several threads may paint at once, and a bitmap can be selected
// into one device context at a time: the lock guards both the picture and its use.
struct CachedLogo {
    CriticalSection lock;
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
};

CachedLogo g_logo; // made as the module loads, before any thread can paint

CachedLogo& TheCachedLogo() {
    return g_logo;
}

void DrawLogoAtDesignSize(HDC dc, const RECT& rect) {
    constexpr int kWidth = 153;
    constexpr int kHeight = 32;
    DrawStretched(dc, rect, kWidth, kHeight, [](HDC memory) {
        FillColor(memory, RECT{0, 0, kWidth, kHeight}, RGB(255, 255, 255));
        DrawQuill(memory, 4, 3, 26, RGB(0, 0, 192));
        UniqueGdi<HFONT> font(CreatePointFont(L"Arial", 15, true));
        SelectedObject selected(memory, font.get());
        SetBkMode(memory, TRANSPARENT);
        SetTextColor(memory, RGB(0, 0, 192));
        RECT text{36, 0, kWidth, kHeight};
        DrawTextW(memory, L"Quillery", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    });
}

} // namespace

void DrawLogo(HDC dc, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    CachedLogo& logo = TheCachedLogo();
    const std::lock_guard<CriticalSection> guard(logo.lock);
    UniqueDc memory(CreateCompatibleDC(dc));
    if (!memory) {
        return;
    }
    if (logo.bitmap == nullptr || logo.width != width || logo.height != height) {
        UniqueGdi<HBITMAP> drawn(CreateCompatibleBitmap(dc, width, height));
        if (!drawn) {
            return;
        }
        {
            SelectedObject selected(memory.get(), drawn.get());
            DrawLogoAtDesignSize(memory.get(), RECT{0, 0, width, height});
        }
        if (logo.bitmap != nullptr) {
            DeleteObject(logo.bitmap);
        }
        logo.bitmap = drawn.release();
        logo.width = width;
        logo.height = height;
    }
    SelectedObject selected(memory.get(), logo.bitmap);
    BitBlt(dc, rect.left, rect.top, width, height, memory.get(), 0, 0, SRCCOPY);
}

void ReleaseCachedLogo() noexcept {
    CachedLogo& logo = TheCachedLogo();
    const std::lock_guard<CriticalSection> guard(logo.lock);
    if (logo.bitmap != nullptr) {
        DeleteObject(logo.bitmap);
        logo.bitmap = nullptr;
    }
}

void DrawIllustration(HDC dc, const RECT& rect) {
    constexpr int kWidth = 215;
    constexpr int kHeight = 237;
    DrawStretched(dc, rect, kWidth, kHeight, [](HDC memory) {
        FillColor(memory, RECT{0, 0, kWidth, kHeight}, RGB(255, 255, 255));
        // A small pop-up menu with one line highlighted, and the pointer over it.
        FillColor(memory, RECT{30, 40, 185, 200}, GetSysColor(COLOR_BTNFACE));
        FillColor(memory, RECT{34, 44, 181, 70}, RGB(255, 255, 255));
        DrawQuill(memory, 40, 47, 20, RGB(0, 0, 192));
        for (int line = 0; line < 5; ++line) {
            const int top = 80 + line * 22;
            const bool chosen = line == 2;
            FillColor(memory, RECT{38, top, 177, top + 18},
                      chosen ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_BTNFACE));
            FillColor(memory, RECT{60, top + 7, 60 + 80 - line * 9, top + 11},
                      chosen ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(64, 64, 64));
        }
        const POINT arrow[] = {{120, 128}, {120, 150}, {126, 144}, {131, 154},
                               {135, 152}, {130, 142}, {138, 142}};
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(RGB(255, 255, 255)));
        UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
        SelectedObject selectedBrush(memory, brush.get());
        SelectedObject selectedPen(memory, pen.get());
        Polygon(memory, arrow, 7);
    });
}

} // namespace quillery::win32
