#pragma once

#include "platform/ThreadSlot.h"

#include <cstddef>

// The Windows side of the per-thread state: each thread's ThreadState hangs off one TLS slot of
// the process. A thread's state is created on its first use, because Windows tells a DLL
// nothing about the threads that were running before it was loaded.
namespace quillery::win32 {

// The port's thread slot over the process's one TLS slot. Every instance reaches the same
// slot and the same states.
class Win32ThreadSlot final : public ThreadSlot {
public:
    // Throws when the process has no TLS slot left or the state cannot be stored.
    ThreadState& Current() override;
    void ReleaseCurrent() noexcept override;
};

// Process attach: takes the TLS slot up front. False when the process has none left. Threads
// also take it on first use when nothing attached it (a program linked with the library).
bool AttachThreadSlot() noexcept;

// Thread detach: frees the calling thread's state, if it has one. Frees memory only.
void ReleaseThreadState() noexcept;

// Process detach. When the DLL is being unloaded, frees every thread's state and gives the
// slot back; when the whole process is ending, does nothing, as the other threads are gone
// already and the system takes the memory back. Frees memory only.
void DetachThreadSlot(bool processEnding) noexcept;

// How many threads have a state right now.
std::size_t LiveThreadStates() noexcept;

} // namespace quillery::win32
