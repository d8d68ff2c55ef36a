#pragma once

#include "platform/ThreadSlot.h"
#include "winapi/ThreadLocalValue.h"

namespace quillery::win32 {

// The port's thread slot over a TLS slot of its own: each thread's running request is one flag
// in it. The flags live as long as the instance; a thread's end frees nothing.
class Win32ThreadSlot final : public ThreadSlot {
public:
    // False when the process had no TLS slot left for it: every request would be refused.
    bool Usable() const noexcept { return running_.Allocated(); }

    // Throws Failure when the flag cannot be stored: a request is never run unguarded.
    bool TryBeginRequest() override;
    void EndRequest() noexcept override;

private:
    ThreadLocalValue<bool> running_;
};

} // namespace quillery::win32
