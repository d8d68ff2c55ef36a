#include "component/DllModule.h"

namespace quillery {
namespace {
HMODULE g_module = nullptr;
LONG g_uses = 0;
} // namespace

HMODULE DllModule() {
    return g_module;
}

void SetDllModule(HMODULE module) {
    g_module = module;
}

void LockModule() noexcept {
    ::InterlockedIncrement(&g_uses);
}

void UnlockModule() noexcept {
    ::InterlockedDecrement(&g_uses);
}

bool ModuleInUse() noexcept {
    // A read through the interlocked API: objects on other threads may count at the same time.
    return ::InterlockedCompareExchange(&g_uses, 0, 0) != 0;
}

} // namespace quillery
