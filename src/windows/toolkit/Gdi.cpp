#include "toolkit/Gdi.h"

#include "forms/PixelScale.h"
#include "winapi/ScreenDpi.h"

namespace quillery::win32 {

COLORREF ResolveColor(ColorRef color) {
    if ((color & 0x80000000u) != 0) {
        return GetSysColor(static_cast<int>(color & 0xFFu));
    }
    return static_cast<COLORREF>(color);
}

HFONT CreatePointFont(const wchar_t* family, double points, bool bold, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -FontPixelHeight(points, dpi); // negative: the character height
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, family, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HFONT CreateGuiFont(int dpi) {
    LOGFONTW font{};
    if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font) == 0) {
        return CreatePointFont(L"MS Shell Dlg", 8, false, dpi);
    }
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi().y);
    font.lfWidth = MulDiv(font.lfWidth, dpi, SystemDpi().x);
    return CreateFontIndirectW(&font);
}

bool KeptBitmap::Fit(HDC like, int width, int height, bool& made) {
    if (dc_ != nullptr && width == width_ && height == height_) {
        return true;
    }
    Free();
    UniqueDc memory(CreateCompatibleDC(like));
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(like, width, height));
    if (!memory || !bitmap) {
        return false;
    }
    original_ = SelectObject(memory.get(), bitmap.get());
    dc_ = memory.release();
    bitmap_ = bitmap.release();
    width_ = width;
    height_ = height;
    made = true;
    return true;
}

void KeptBitmap::Release() noexcept {
    const std::lock_guard<CriticalSection> guard(lock_);
    Free();
}

void KeptBitmap::Free() noexcept {
    if (dc_ != nullptr) {
        SelectObject(dc_, original_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        dc_ = nullptr;
        bitmap_ = nullptr;
    }
}

} // namespace quillery::win32
