#pragma once

#include <cstddef>

// The Windows side of the per-thread state (CurrentThread and ReleaseCurrentThread in
// shared/ThreadContext.h): each thread's ThreadContext hangs off one TLS slot. A thread's
// context is created on its first use, because Windows tells a DLL nothing about the threads
// that were running before it was loaded.
namespace quillery {

// Process attach: takes the TLS slot up front. False when the process has none left. Threads
// also take it on first use when nothing attached it (a program linked with the library).
bool AttachThreadSlot() noexcept;

// Process detach. When the DLL is being unloaded, frees every thread's context and gives the
// slot back; when the whole process is ending, does nothing, as the other threads are gone
// already and the system takes the memory back. Frees memory only.
void DetachThreadSlot(bool processEnding) noexcept;

// How many threads have a context right now.
std::size_t LiveThreadContexts() noexcept;

} // namespace quillery
