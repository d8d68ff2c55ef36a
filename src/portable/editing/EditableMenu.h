#pragma once

#include "forms/WindowParts.h"

#include <cstddef>

namespace quillery {

// What the item commands and the item editor need of the snippet menu they act on.
class EditableMenu {
public:
    virtual ~EditableMenu() = default;

    virtual bool IsOpen() const = 0;

    // Rebuilds the menu's lines from the snippets and redraws it.
    virtual void DisplayMenu() = 0;

    // Starts (from a full interval) or stops the watch that closes the menu once the pointer
    // has left it.
    virtual void SetPointerWatch(bool on) noexcept = 0;

    // Puts the pointer onto the menu's banner.
    virtual void MoveCursorToMenu() noexcept = 0;

    // The menu's top-left corner on the screen.
    virtual TwipsPoint TopLeft() const = 0;

    // The snippet lines shown, numbered from 1, and the item that line `line` holds: 0 when
    // there is no such line.
    virtual std::size_t LineCount() const = 0;
    virtual int ItemOfLine(std::size_t line) const = 0;
};

} // namespace quillery
