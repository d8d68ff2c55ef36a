#include "posix/PosixThreadSlot.h"

#include <utility>

namespace quillery {
namespace {
thread_local bool t_requestRunning = false;
}

bool PosixThreadSlot::TryBeginRequest() noexcept {
    return !std::exchange(t_requestRunning, true);
}

void PosixThreadSlot::EndRequest() noexcept {
    t_requestRunning = false;
}

} // namespace quillery
