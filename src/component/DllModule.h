#pragma once

#include <windows.h>

namespace quillery {

// The module handle of Pennock.dll itself, as DllMain received it (null in a program that
// links the component's code without being the DLL).
HMODULE DllModule();
void SetDllModule(HMODULE module);

// How many objects, class factories and server locks keep the DLL in use. Each COM object of
// the DLL holds one count for its whole life (a ModuleReference member), and so does each
// LockServer(TRUE) until its LockServer(FALSE).
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// One count on the module, held from construction to destruction.
class ModuleReference {
public:
    ModuleReference() noexcept { LockModule(); }
    ~ModuleReference() { UnlockModule(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
};

} // namespace quillery
