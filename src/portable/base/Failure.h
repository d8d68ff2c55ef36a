#pragma once

#include <exception>

namespace quillery {

// A failure thrown upward through the component: a fixed text that says what failed and, when
// a system call failed, the system's error code (0 when there is none). It holds no string of
// its own, so the standard library's string-carrying exceptions, and all that they bring into
// the DLL, are not needed.
class Failure : public std::exception {
public:
    explicit Failure(const char* what, unsigned long systemError = 0) noexcept
        : what_(what), systemError_(systemError) {}

    const char* what() const noexcept override { return what_; }
    unsigned long SystemError() const noexcept { return systemError_; }

private:
    const char* what_;
    unsigned long systemError_;
};

} // namespace quillery
