#pragma once

#include "dll/DllModule.h"
#include "winapi/ComObject.h"
#include "winapi/UniqueResource.h"

#include "Pennock_h.h"

namespace quillery::dll {

// The component's one class. `loadmenu` runs one menu request on the calling thread; IDispatch
// goes through the type information of the type library embedded in the DLL, so a script
// reaches the same method by name.
class DoBiz final : public win32::ComObject<_DoBiz, IID_IUnknown, IID_IDispatch, IID__DoBiz> {
public:
    // The class factory's creation function: a new object, its interface `iid` handed out.
    static HRESULT Create(REFIID iid, void** object) noexcept;

    // IDispatch
    IFACEMETHODIMP GetTypeInfoCount(UINT* count) override;
    IFACEMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    IFACEMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                 DISPID* ids) override;
    IFACEMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                          VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

    // _DoBiz
    IFACEMETHODIMP loadmenu(BSTR* result) noexcept override;

private:
    DoBiz(win32::UniqueCom<ITypeInfo> dispatchInfo, win32::UniqueCom<ITypeInfo> vtableInfo);
    ~DoBiz() override = default;

    ModuleReference module_;
    // The interface as scripts see it (handed to clients that ask), and its vtable form, which
    // DispInvoke calls through.
    win32::UniqueCom<ITypeInfo> dispatchInfo_;
    win32::UniqueCom<ITypeInfo> vtableInfo_;
};

// Lets go of the type information that the objects share: for the DLL's unload, once no object
// is left.
void ReleaseInterfaceInfo() noexcept;

} // namespace quillery::dll
