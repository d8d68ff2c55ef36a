#pragma once

#include "platform/ThreadSlot.h"

namespace quillery {

// The port's thread slot in a thread_local flag, which ends with its thread. Every instance
// shares each thread's one flag.
class PosixThreadSlot final : public ThreadSlot {
public:
    bool TryBeginRequest() noexcept override;
    void EndRequest() noexcept override;
};

} // namespace quillery
