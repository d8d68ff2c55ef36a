#pragma once

namespace quillery {

// The keys a window's presenter acts on, as its view reports them. ContextMenu is the request
// for a context menu from the keyboard (Shift+F10 or the context-menu key); every other key is
// Other, which still counts as the user's use of the window.
enum class Key { Other, Down, Up, Home, End, Enter, Space, Escape, ContextMenu };

} // namespace quillery
