#pragma once

#include <utility>

namespace quillery {

// What a boundary knows of the failure it is handling: whether the system was out of memory,
// whether it was a Failure (whose fixed text says what failed, in the user's words), its text,
// and a Failure's system error code (0 for any other failure).
struct CaughtFailure {
    bool outOfMemory;
    bool isFailure;
    const char* what;
    unsigned long systemError;
};

// The exception being handled, as a boundary tells it. Only inside a catch handler.
CaughtFailure CurrentFailure() noexcept;

// The one boundary of a program's main: `body`'s exit code, or, when a failure ends it, the
// exit code `failed` gives for it (it may tell the user first, and must not throw).
template <typename Body, typename Failed> int ProcessMain(Body&& body, Failed&& failed) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return std::forward<Failed>(failed)(CurrentFailure());
    }
}

} // namespace quillery
