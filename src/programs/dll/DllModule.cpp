#include "dll/DllModule.h"

#include "win32/Win32Platform.h"

#include <optional>

namespace quillery::dll {
namespace {
HMODULE g_module = nullptr;
std::optional<win32::Win32Platform> g_platform;
LONG g_uses = 0;
LONG g_serverLocks = 0;
} // namespace

HMODULE DllModule() noexcept {
    return g_module;
}

bool AttachDllModule(HMODULE module) noexcept {
    g_module = module;
    return g_platform.emplace(module).Usable();
}

Platform& DllPlatform() noexcept {
    return g_platform->Port();
}

void LockModule() noexcept {
    ::InterlockedIncrement(&g_uses);
}

void UnlockModule() noexcept {
    ::InterlockedDecrement(&g_uses);
}

void AddServerLock() noexcept {
    ::InterlockedIncrement(&g_serverLocks);
}

void ReleaseServerLock() noexcept {
    LONG locks = ::InterlockedCompareExchange(&g_serverLocks, 0, 0);
    while (locks > 0) {
        const LONG seen = ::InterlockedCompareExchange(&g_serverLocks, locks - 1, locks);
        if (seen == locks) {
            return;
        }
        locks = seen;
    }
}

bool ModuleInUse() noexcept {
    // Reads through the interlocked API: objects on other threads may count at the same time.
    return ::InterlockedCompareExchange(&g_uses, 0, 0) != 0 ||
           ::InterlockedCompareExchange(&g_serverLocks, 0, 0) != 0;
}

} // namespace quillery::dll
