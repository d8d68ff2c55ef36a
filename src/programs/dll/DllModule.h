#pragma once

#include "platform/Platform.h"

#include <windows.h>

namespace quillery::dll {

// The module handle of Pennock.dll itself, as DllMain received it (null in a program that
// links the component's code without being the DLL).
HMODULE DllModule() noexcept;

// Records the DLL's module as DllMain receives it, and builds over it the Win32 platform that
// the requests of every thread use: memory and a TLS slot only, so it may run under the loader
// lock. False when no TLS slot was left for the platform's thread slot: every request would be
// refused.
bool AttachDllModule(HMODULE module) noexcept;

// The platform that AttachDllModule built, which the DLL keeps until it is unloaded.
Platform& DllPlatform() noexcept;

// What keeps the DLL in use: its live COM objects and class factories, each of which holds one
// count for its whole life (a ModuleReference member), and the server locks of
// IClassFactory::LockServer.
void LockModule() noexcept;
void UnlockModule() noexcept;
void AddServerLock() noexcept;
// Releases one server lock; an unlock without a lock is ignored, so that a client's extra
// LockServer(FALSE) cannot cancel the count of a live object and let the DLL go under it.
void ReleaseServerLock() noexcept;
bool ModuleInUse() noexcept;

// One count on the module, held from construction to destruction.
class ModuleReference {
public:
    ModuleReference() noexcept { LockModule(); }
    ~ModuleReference() { UnlockModule(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
};

} // namespace quillery::dll
