#include "win32/Win32ThreadSlot.h"

#include "base/Failure.h"

namespace quillery::win32 {

bool Win32ThreadSlot::TryBeginRequest() {
    if (running_.Get()) {
        return false;
    }
    if (!running_.Set(true)) {
        throw Failure("cannot mark the thread's menu request", ::GetLastError());
    }
    return true;
}

void Win32ThreadSlot::EndRequest() noexcept {
    // Leaves nothing marked even should it fail: only a thread that stored `true` has a flag
    // to clear, and its storage for the slot exists by then.
    running_.Set(false);
}

} // namespace quillery::win32
