// The DLL's entry point and its exported COM entry points.

#include "component/DllModule.h"
#include "platform/win32/ThreadSlot.h"
#include "platform/win32/Win32Platform.h"
#include "shared/ThreadContext.h"

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

namespace quillery {
namespace {
HMODULE g_module = nullptr;
}

HMODULE DllModule() {
    return g_module;
}

} // namespace quillery

// Runs under the loader lock: it sets up and frees memory and does nothing else, no windows,
// COM or files. Thread notifications stay switched on, because a thread's detach is what
// frees that thread's state.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    using namespace quillery;
    try {
        switch (reason) {
        case DLL_PROCESS_ATTACH:
            g_module = instance;
            InstallWin32Platform(instance);
            return AttachThreadSlot() ? TRUE : FALSE;
        case DLL_THREAD_DETACH:
            ReleaseCurrentThread();
            break;
        case DLL_PROCESS_DETACH:
            // A non-null `reserved` means the process is ending rather than unloading the DLL.
            DetachThreadSlot(reserved != nullptr);
            break;
        default:
            break;
        }
    } catch (...) {
        return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
    }
    return TRUE;
}

// No object or class factory exists yet, so nothing holds the DLL in memory.
STDAPI DllCanUnloadNow() {
    return S_OK;
}

// No class is served yet.
STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

// Registration writes nothing yet, and says so rather than claiming success.
STDAPI DllRegisterServer() {
    return E_NOTIMPL;
}

STDAPI DllUnregisterServer() {
    return E_NOTIMPL;
}
