// The DLL's entry point and its exported COM entry points. Each export hands the component's
// descriptor to the server code and does nothing else.

#include "component/ClassFactory.h"
#include "component/DllModule.h"
#include "component/PennockServer.h"
#include "component/Registration.h"
#include "component/Win32Registry.h"
#include "views/Win32WindowFactory.h"
#include "win32/Win32Platform.h"
#include "win32/Win32SystemInfo.h"
#include "win32/Win32ThreadSlot.h"

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <string>

// Runs under the loader lock: it sets up and frees memory and does nothing else, no windows,
// COM or files. Thread notifications stay switched on, because a thread's detach is what
// frees that thread's state.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    using namespace quillery;
    try {
        switch (reason) {
        case DLL_PROCESS_ATTACH:
            SetDllModule(instance);
            win32::InstallWin32Platform(instance);
            return win32::AttachThreadSlot() ? TRUE : FALSE;
        case DLL_THREAD_DETACH:
            win32::ReleaseThreadState();
            break;
        case DLL_PROCESS_DETACH:
            // A non-null `reserved` means the process is ending rather than unloading the DLL.
            win32::DetachThreadSlot(reserved != nullptr);
            break;
        default:
            break;
        }
    } catch (...) {
        return reason == DLL_PROCESS_ATTACH ? FALSE : TRUE;
    }
    return TRUE;
}

// The DLL may go only when no object, class factory or server lock is alive.
STDAPI DllCanUnloadNow() {
    if (quillery::ModuleInUse()) {
        return S_FALSE;
    }
    // The caller may free the DLL now: its window classes must not outlive its code.
    quillery::win32::ReleaseWindowResources(quillery::DllModule());
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return quillery::GetClassObject(quillery::PennockServer().classes, clsid, iid, object);
}

STDAPI DllRegisterServer() {
    using namespace quillery;
    try {
        const std::wstring path = win32::Win32SystemInfo(DllModule()).ModulePath();
        Win32Registry registry;
        return RegisterServer(PennockServer().registration, registry, path);
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

STDAPI DllUnregisterServer() {
    using namespace quillery;
    try {
        Win32Registry registry;
        return UnregisterServer(PennockServer().registration, registry);
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}
