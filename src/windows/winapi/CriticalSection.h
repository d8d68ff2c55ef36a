#pragma once

#include <windows.h>

namespace quillery::win32 {

// A lock for std::lock_guard, on the system's critical section. The Windows build's thread model
// has no std::mutex; a model that has one links a threads library into the DLL for what one
// critical section does.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

} // namespace quillery::win32
