#pragma once

#include "menu/SnippetMenu.h"
#include "platform/Platform.h"

#include <string>

namespace quillery {

// One menu request, the work of loadmenu: closes the menus of the user's other requests, shows a
// snippet menu modally on the calling thread and returns the text it chose (the snippet's, or
// empty). Throws when the window cannot be created or shown, and when a request is already
// running on this thread; a request ended by a fatal report, or closed by another request,
// returns the empty string. `opening` says where the menu opens.
std::wstring RunMenuRequest(Platform& platform, WindowFactory& views, MenuOpening opening = {});

} // namespace quillery
