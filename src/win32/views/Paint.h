#pragma once

#include "shared/WindowParts.h"
#include "win32/UniqueResource.h"

#include <windows.h>

namespace quillery::win32 {

// A colour reference of the window toolkit as GDI draws it: 0x800000nn is system colour nn.
COLORREF ResolveColor(ColorRef color);

// A font of the given family and size in points, for the screen's dots per inch.
HFONT CreatePointFont(const wchar_t* family, double points, bool bold);

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

// Draws the product's logo, stretched into `rect`. The stretched picture is kept for the
// process, for the next paint at the same size.
void DrawLogo(HDC dc, const RECT& rect);

// Frees the kept picture of the logo; the next paint draws it again.
void ReleaseCachedLogo() noexcept;

// Draws the welcome window's illustration, stretched into `rect`.
void DrawIllustration(HDC dc, const RECT& rect);

} // namespace quillery::win32
