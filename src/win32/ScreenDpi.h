#pragma once

namespace quillery::win32 {

// The screen's dots per inch, asked once per process, falling back to 96 when the screen cannot
// be asked. Twips per pixel are 1440 divided by it.
int ScreenDpi();

} // namespace quillery::win32
