#pragma once

#include "platform/ThreadSlot.h"

namespace quillery {

// Each thread's state in a thread_local owner: freed when the thread ends.
class PosixThreadSlot final : public ThreadSlot {
public:
    ThreadState& Current() override;
    void ReleaseCurrent() noexcept override;
};

} // namespace quillery
