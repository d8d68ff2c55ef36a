#include "posix/PosixThreadSlot.h"

#include <memory>

namespace quillery {
namespace {
thread_local std::unique_ptr<ThreadState> t_state;
}

ThreadState& PosixThreadSlot::Current() {
    if (!t_state) {
        t_state = std::make_unique<ThreadState>();
    }
    return *t_state;
}

void PosixThreadSlot::ReleaseCurrent() noexcept {
    t_state.reset();
}

} // namespace quillery
