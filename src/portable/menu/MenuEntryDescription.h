#pragma once

#include "forms/WindowParts.h"

#include <optional>
#include <string>

namespace quillery {

class SnippetMenu;

// One entry of the snippet menu as an assistive client (a screen reader) is told of it: what
// the window shows, without the window system's words for it.
struct MenuEntryDescription {
    std::wstring name;        // the caption as shown: no access marks, no blanks at its ends
    std::wstring description; // a line's tooltip, the preview of its snippet; empty for a link
    std::optional<wchar_t> accessKey;
    bool isLink = false;
    bool highlighted = false;
    TwipsBox box; // the entry with its pad, in twips from the window's top-left corner
};

// Entry `entry` of the menu, numbered as SnippetMenu::EntryCount() counts them (the lines,
// then the two links); nothing for any other number.
std::optional<MenuEntryDescription> DescribeEntry(const SnippetMenu& menu, int entry);

// The entry under a point given in twips from the window's top-left corner: a line or a link,
// or the pad beside it; 0 for the banner, the logo, the background or a point outside.
int EntryAt(const SnippetMenu& menu, float x, float y);

} // namespace quillery
