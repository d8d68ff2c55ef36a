#pragma once

namespace quillery {

// A window that a fatal error report may close while it is open.
class ClosableWindow {
public:
    virtual ~ClosableWindow() = default;
    virtual bool IsOpen() const = 0;
    virtual void Close() noexcept = 0;
};

} // namespace quillery
