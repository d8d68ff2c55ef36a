// The DLL's entry point and its exported COM entry points. Each export hands the component's
// descriptor to the server code and does nothing else.

#include "dll/ClassFactory.h"
#include "dll/DllLocation.h"
#include "dll/DllModule.h"
#include "dll/DoBiz.h"
#include "dll/PennockServer.h"
#include "dll/Registration.h"
#include "dll/Win32Registry.h"
#include "views/Win32WindowFactory.h"
#include "win32/Win32SystemInfo.h"
#include "winapi/Win32Boundary.h"

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <string>
#include <utility>

namespace {

// Runs a step of (un)registering the server: a failure is the one that regsvr32 reports.
template <typename Step> HRESULT SelfRegistration(Step&& step) noexcept {
    return quillery::win32::ComMethod(std::forward<Step>(step),
                                      quillery::win32::ComAnswers::Only(SELFREG_E_CLASS));
}

} // namespace

// Runs under the loader lock: it records the module and builds the platform over it, memory
// only, and does nothing else: no windows, COM or files. The thread slots hold nothing that a
// thread's end or the DLL's unload must free; their TLS slots go with the DLL's static objects.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) noexcept {
    if (reason == DLL_PROCESS_ATTACH) {
        return quillery::dll::AttachDllModule(instance) ? TRUE : FALSE;
    }
    return TRUE;
}

// The DLL may go only when no object, class factory or server lock is alive.
STDAPI DllCanUnloadNow() {
    if (quillery::dll::ModuleInUse()) {
        return S_FALSE;
    }
    // The caller may free the DLL now: its window classes must not outlive its code, nor its
    // hold on the type library.
    quillery::win32::ReleaseWindowResources(quillery::dll::DllModule());
    quillery::dll::ReleaseInterfaceInfo();
    return S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return quillery::dll::GetClassObject(quillery::dll::PennockServer().classes, clsid, iid,
                                         object);
}

STDAPI DllRegisterServer() {
    using namespace quillery::dll;
    return SelfRegistration([] {
        const std::wstring path = quillery::win32::Win32SystemInfo(DllModule()).ModulePath();
        Win32Registry registry;
        return RegisterServer(PennockServer().registration, registry, path, PlacementFor(path));
    });
}

STDAPI DllUnregisterServer() {
    using namespace quillery::dll;
    return SelfRegistration([] {
        const std::wstring path = quillery::win32::Win32SystemInfo(DllModule()).ModulePath();
        Win32Registry registry;
        return UnregisterServer(PennockServer().registration, registry, path, PlacementFor(path));
    });
}
