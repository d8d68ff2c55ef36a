#pragma once

#include "toolkit/Gdi.h"

#include <windows.h>

namespace quillery::win32 {

// The off-screen picture that the snippet menu is drawn into before it goes to the screen.
KeptBitmap& MenuBackBuffer();

// Draws the product's logo to fill `rect`. The picture is kept for the process, for the next
// paint at the same size.
void DrawLogo(HDC dc, const RECT& rect);

// Frees the kept pictures (the logo, the menu's back buffer); the next paint makes them again.
void ReleaseKeptBitmaps() noexcept;

// Draws the welcome window's illustration to fill `rect`, drawn at that size.
void DrawIllustration(HDC dc, const RECT& rect);

} // namespace quillery::win32
