#pragma once

#include "platform/SystemInfo.h"

#include "winapi/CriticalSection.h"

#include <windows.h>

namespace quillery::win32 {

// The machine and the component's own file, as Windows reports them. `module` is the module
// that holds the component's code (the DLL, not the host program that loaded it).
class Win32SystemInfo final : public SystemInfo {
public:
    explicit Win32SystemInfo(HMODULE module) : module_(module) {}

    // Asked of the volume once per root: a volume keeps its serial number until it is
    // formatted again, and the question costs a trip to the file system at every request.
    std::optional<std::uint32_t> VolumeSerialNumber(const std::wstring& root) override;

    // Both throw Failure when Windows cannot give the module's file name: an empty
    // directory would silently point the component at a data file elsewhere.
    std::wstring ComponentDirectory() override;
    std::wstring ExecutableName() override;

    // The full path of the module's file.
    std::wstring ModulePath() const;

private:
    HMODULE module_;
    CriticalSection lock_; // requests on several threads share the answer
    std::wstring knownRoot_;
    std::uint32_t knownSerial_ = 0;
};

// The module whose image contains `address` (a function or data of that module); null when no
// module does. The module's reference count is not changed.
HMODULE ModuleContaining(const void* address);

} // namespace quillery::win32
