// The DLL's entry point and its exported COM entry points. Each export hands the component's
// descriptor to the server code and does nothing else.

#include "component/ClassFactory.h"
#include "component/DllLocation.h"
#include "component/DllModule.h"
#include "component/DoBiz.h"
#include "component/PennockServer.h"
#include "component/Registration.h"
#include "component/Win32Registry.h"
#include "views/Win32WindowFactory.h"
#include "win32/Win32SystemInfo.h"

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <string>

namespace {

// Runs a step of (un)registering the server: an exception is the failure that regsvr32 reports,
// and none crosses into the caller.
template <typename Step> HRESULT SelfRegistration(Step&& step) noexcept {
    try {
        return step();
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

} // namespace

// Runs under the loader lock: it records the module and builds the platform over it, memory
// only, and does nothing else: no windows, COM or files. The thread slots hold nothing that a
// thread's end or the DLL's unload must free; their TLS slots go with the DLL's static objects.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) noexcept {
    if (reason == DLL_PROCESS_ATTACH) {
        return quillery::AttachDllModule(instance) ? TRUE : FALSE;
    }
    return TRUE;
}

// The DLL may go only when no object, class factory or server lock is alive.
STDAPI DllCanUnloadNow() {
    if (quillery::ModuleInUse()) {
        return S_FALSE;
    }
    // The caller may free the DLL now: its window classes must not outlive its code, nor its
    // hold on the type library.
    quillery::win32::ReleaseWindowResources(quillery::DllModule());
    quillery::ReleaseInterfaceInfo();
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return quillery::GetClassObject(quillery::PennockServer().classes, clsid, iid, object);
}

STDAPI DllRegisterServer() {
    using namespace quillery;
    return SelfRegistration([] {
        const std::wstring path = win32::Win32SystemInfo(DllModule()).ModulePath();
        Win32Registry registry;
        return RegisterServer(PennockServer().registration, registry, path, PlacementFor(path));
    });
}

STDAPI DllUnregisterServer() {
    using namespace quillery;
    return SelfRegistration([] {
        const std::wstring path = win32::Win32SystemInfo(DllModule()).ModulePath();
        Win32Registry registry;
        return UnregisterServer(PennockServer().registration, registry, path, PlacementFor(path));
    });
}
