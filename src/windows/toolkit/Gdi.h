#pragma once

#include "forms/WindowParts.h"
#include "winapi/CriticalSection.h"
#include "winapi/UniqueResource.h"

#include <windows.h>

#include <mutex> // std::lock_guard only

namespace quillery::win32 {

// A colour reference of the window toolkit as GDI draws it: 0x800000nn is system colour nn.
COLORREF ResolveColor(ColorRef color);

// A font of the given family and size in points, made for a resolution of `dpi` dots per inch
// down: drawn at that size, not a smaller font stretched.
HFONT CreatePointFont(const wchar_t* family, double points, bool bold, int dpi);

// The system's font for dialog controls (the stock DEFAULT_GUI_FONT, made for the system's
// resolution) made again for `dpi` dots per inch down.
HFONT CreateGuiFont(int dpi);

// Selects an object into a device context and selects the previous one back on scope exit.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A bitmap kept for the process, held selected in a memory device context of its own, so that
// a paint neither makes it nor its device context again. Windows of several threads may paint
// at once, and a bitmap can be selected into one device context at a time: Use() holds a lock
// while it runs.
class KeptBitmap {
public:
    // Calls draw(memory, made) with the bitmap, `width` by `height` and compatible with `like`,
    // selected into `memory`. `made` tells that the bitmap is new and holds nothing yet. Does
    // nothing when the bitmap cannot be made.
    template <typename Draw> void Use(HDC like, int width, int height, Draw draw) {
        const std::lock_guard<CriticalSection> guard(lock_);
        bool made = false;
        if (Fit(like, width, height, made)) {
            draw(dc_, made);
        }
    }
    // Frees the bitmap and its device context; the next Use() makes them again.
    void Release() noexcept;

private:
    bool Fit(HDC like, int width, int height, bool& made);
    void Free() noexcept;

    CriticalSection lock_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ original_ = nullptr; // the device context's own bitmap, selected back on release
    int width_ = 0;
    int height_ = 0;
};

} // namespace quillery::win32
